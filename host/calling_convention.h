// The calling convention of the plugin's exports and of the host API: stdcall on 32-bit x86,
// where Windows has several conventions; elsewhere there is only one and none is named.
#pragma once

#if defined(__i386__)
#define ROBOTHOST_STDCALL __attribute__((stdcall))
#else
#define ROBOTHOST_STDCALL
#endif
