#pragma once
// The stand-ins for the image and text libraries carry the real libraries' names in the
// browser and Windows builds. The native proof test links them beside the real libraries, so
// there they are built with ORBITRA_STANDIN_PREFIX and every name gets a standin_ prefix.
#ifdef ORBITRA_STANDIN_PREFIX
#define ORBITRA_STANDIN(name) standin_##name
#else
#define ORBITRA_STANDIN(name) name
#endif
