#pragma once
// The few spellings that differ between the platform's runtime and the
// Linux stand-in.

#ifdef _WIN32
#define DV_STDCALL STDMETHODCALLTYPE
#define DV_OLESTR(s) L##s
#else
#define DV_STDCALL
#define DV_OLESTR(s) s
#endif
