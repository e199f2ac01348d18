/* A qemu-user plugin that counts the guest instructions a thread executes between its writes
 * to the standard output. The frame tool prints one line a frame, so on a terminal
 * (line-buffered) each write closes a frame and the counts are per frame. Counts are kept per
 * thread: the sound and timer threads of the library must not blur the drawing thread's.
 *
 * Arguments: write=<the target's write system call number>, out=<file>: one line per write
 * to fd 1 with the writing thread's instructions since its previous one, then "total <n>"
 * over all threads at exit.
 * Debian's qemu-user supports plugins but ships neither the examples nor the API header, so
 * the few declarations used are given here, as the API (version 1, qemu 7.2) defines them. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef uint64_t qemu_plugin_id_t;
typedef struct qemu_info_t qemu_info_t;
struct qemu_plugin_tb;
enum qemu_plugin_cb_flags { QEMU_PLUGIN_CB_NO_REGS };

typedef void (*tb_trans_cb)(qemu_plugin_id_t, struct qemu_plugin_tb*);
typedef void (*syscall_cb)(qemu_plugin_id_t, unsigned int, int64_t, uint64_t, uint64_t, uint64_t,
                           uint64_t, uint64_t, uint64_t, uint64_t, uint64_t);
typedef void (*udata_cb)(qemu_plugin_id_t, void*);
typedef void (*vcpu_udata_cb)(unsigned int, void*);
void qemu_plugin_register_vcpu_tb_trans_cb(qemu_plugin_id_t, tb_trans_cb);
void qemu_plugin_register_vcpu_syscall_cb(qemu_plugin_id_t, syscall_cb);
void qemu_plugin_register_atexit_cb(qemu_plugin_id_t, udata_cb, void*);
size_t qemu_plugin_tb_n_insns(const struct qemu_plugin_tb*);
void qemu_plugin_register_vcpu_tb_exec_cb(struct qemu_plugin_tb*, vcpu_udata_cb,
                                          enum qemu_plugin_cb_flags, void*);

__attribute__((visibility("default"))) int qemu_plugin_version = 1;

enum { maxThreads = 64 };
static uint64_t executed[maxThreads], atLastWrite[maxThreads];
static int64_t writeCall = -1;
static FILE* out;

/* Each thread is a virtual CPU of its own; a block's instructions count when it starts. */
static void onBlock(unsigned int vcpu, void* instructions) {
  if (vcpu < maxThreads) executed[vcpu] += (uintptr_t)instructions;
}

static void onTranslate(qemu_plugin_id_t id, struct qemu_plugin_tb* tb) {
  (void)id;
  qemu_plugin_register_vcpu_tb_exec_cb(tb, onBlock, QEMU_PLUGIN_CB_NO_REGS,
                                       (void*)(uintptr_t)qemu_plugin_tb_n_insns(tb));
}

static void onSyscall(qemu_plugin_id_t id, unsigned int vcpu, int64_t number, uint64_t fd,
                      uint64_t a2, uint64_t a3, uint64_t a4, uint64_t a5, uint64_t a6, uint64_t a7,
                      uint64_t a8) {
  (void)id, (void)a2, (void)a3, (void)a4, (void)a5, (void)a6, (void)a7, (void)a8;
  if (number != writeCall || fd != 1 || vcpu >= maxThreads) return;
  fprintf(out, "%llu\n", (unsigned long long)(executed[vcpu] - atLastWrite[vcpu]));
  atLastWrite[vcpu] = executed[vcpu];
}

static void onExit(qemu_plugin_id_t id, void* unused) {
  (void)id, (void)unused;
  uint64_t total = 0;
  for (int i = 0; i < maxThreads; ++i) total += executed[i];
  fprintf(out, "total %llu\n", (unsigned long long)total);
  fclose(out);
}

__attribute__((visibility("default"))) int qemu_plugin_install(qemu_plugin_id_t id,
                                                               const qemu_info_t* info, int argc,
                                                               char** argv) {
  (void)info;
  const char* path = NULL;
  for (int i = 0; i < argc; ++i) {
    if (strncmp(argv[i], "write=", 6) == 0) writeCall = strtoll(argv[i] + 6, NULL, 10);
    if (strncmp(argv[i], "out=", 4) == 0) path = argv[i] + 4;
  }
  if (writeCall < 0 || !path || !(out = fopen(path, "w"))) {
    fprintf(stderr, "insncount: needs write=<system call number> and a writable out=<file>\n");
    return -1;
  }
  qemu_plugin_register_vcpu_tb_trans_cb(id, onTranslate);
  qemu_plugin_register_vcpu_syscall_cb(id, onSyscall);
  qemu_plugin_register_atexit_cb(id, onExit, NULL);
  return 0;
}
