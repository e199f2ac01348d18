#pragma once
// The stand-ins for the image and text libraries carry the real libraries' names in the
// browser build. The native proof test links them beside the real libraries, so there they
// are built with ORBITRA_COMPAT_PREFIX and every name gets a compat_ prefix.
#ifdef ORBITRA_COMPAT_PREFIX
#define ORBITRA_COMPAT(name) compat_##name
#else
#define ORBITRA_COMPAT(name) name
#endif
