// The shared library's load and unload routines (the ELF counterpart of DllMain).
#include "plugin/module.h"

__attribute__((constructor)) static void ModuleLoaded() { plugin::OnLoad(); }

__attribute__((destructor)) static void ModuleUnloaded() { plugin::OnUnload(); }
