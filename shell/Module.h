#pragma once

// The library's module instance handle, as the GUI toolkit needs it to register its window
// class and to load pictures from the library's resources. Null in the native build.
void* ModuleInstance();

// Called by the entry point at the start of every call: the toolkit's handle becomes the
// one the load notification recorded.
void AdoptLoadedModule();

// Whether this build's toolkit can show the editor; the effect record tells hosts so.
bool ModuleShowsEditor();
