// Module entry point of Vennox.OCX, and what ends it when all else fails.
#include "framework/AfxCtl.h"

#include <new>
#include <string>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        AfxInitModule(instance);
        if (COleControlModule* module = COleControlModule::Current())
            return module->InitInstance();
    } else if (reason == DLL_PROCESS_DETACH) {
        if (COleControlModule* module = COleControlModule::Current())
            module->ExitInstance();
    }
    return TRUE;
}

// ---- When all else fails ---------------------------------------------------------
// The module catches no exception; the one a running module can meet is
// running out of memory, and whatever is thrown ends the host's process
// through the C++ library's terminate handler. These take the library's
// place: the handler, and the library's own error paths, end the process at
// once, as a fail-fast exception whose report carries the fault's address.
// The library's versions would name the exception on a console a plug-in
// does not have, and link in its name demangler, formatted output and
// exception classes with their strings: most of the module's size.

namespace {

[[noreturn]] void FailFast()
{
    ::RaiseFailFastException(nullptr, nullptr, 0);
    ::TerminateProcess(::GetCurrentProcess(), 3);  // as abort() ends it
    for (;;) {
    }
}

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { FailFast(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { FailFast(); }
void __throw_bad_array_new_length() { FailFast(); }
void __throw_length_error(const char*) { FailFast(); }
void __throw_logic_error(const char*) { FailFast(); }
void __throw_out_of_range_fmt(const char*, ...) { FailFast(); }
}  // namespace std
