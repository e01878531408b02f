// Linux hosts refuse a module without ModuleEntry, called right after loading it with the
// loader's handle, and call ModuleExit before unloading it. Everything the module needs is
// made with its first instance; the calls are only counted, so that a host that enters
// twice is also let out twice.

namespace {

int entries = 0;

}  // namespace

extern "C" bool ModuleEntry(void* sharedLibraryHandle);
extern "C" bool ModuleExit();

extern "C" bool ModuleEntry(void*)
{
    ++entries;
    return true;
}

extern "C" bool ModuleExit()
{
    if (entries == 0)
        return false;
    --entries;
    return true;
}
