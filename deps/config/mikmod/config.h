/* The module player's configuration for the browser and Windows builds: only the silent
   driver, which the mixer library registers and pulls samples through; no threads of its own
   (on Windows its two locks are the system's mutexes). */
#define HAVE_FCNTL_H 1
#define HAVE_INTTYPES_H 1
#define HAVE_LIMITS_H 1
#define HAVE_MALLOC_H 1
#define HAVE_MEMORY_H 1
#define HAVE_SNPRINTF 1
#define HAVE_STDINT_H 1
#define HAVE_STDLIB_H 1
#define HAVE_MEMCMP 1
#define HAVE_STRING_H 1
#define HAVE_STRSTR 1
#define HAVE_SYS_STAT_H 1
#define HAVE_SYS_TYPES_H 1
#define HAVE_UNISTD_H 1
#define STDC_HEADERS 1
#define HAVE_C_INLINE 1
#ifndef _WIN32
#define MIKMOD_UNIX 1
#define HAVE_POSIX_MEMALIGN 1
#define HAVE_SETENV 1
#define HAVE_SRANDOM 1
#endif
/* The mixer's 64-bit voice paths on every target. Without this a 32-bit target (the browser's)
   mixes a voice's first few positions through 32-bit paths whose interpolation overflows: short
   bursts of samples that Debian's 64-bit builds do not play. */
#define NATIVE_64BIT_INT
