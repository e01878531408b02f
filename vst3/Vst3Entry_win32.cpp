// Windows hosts call InitDll right after loading the module and ExitDll before unloading
// it. Everything the module needs is made with its first instance, so neither has work.

extern "C" bool InitDll();
extern "C" bool ExitDll();

extern "C" bool InitDll() { return true; }

extern "C" bool ExitDll() { return true; }
