#pragma once
// ImageFormatList, the process's one registry of picture formats, filled
// with the library's 39 extensions when the image library starts and
// emptied when it ends.

#include "imaging/FileFormatList.h"

#include <memory>

namespace vidlark {

// The registry while the image library runs; none before and after.
extern TFileFormatList* ImageFormatList;

// Fills a registry with the library's formats, in their order. Readers that
// are not part of this build are left out.
void RegisterImageFormats(TFileFormatList& list);
// Takes the formats away again in the library's order of removal; the
// registry's destruction unregisters what remains.
void UnregisterImageFormats(TFileFormatList& list);

// Starts the image library for the program's lifetime: creates and fills
// ImageFormatList (with the process's general picture loader) and, at the
// end of its scope, removes the formats and destroys the registry. The
// program entry holds one before it creates the main window.
class TImageLibrary {
public:
    TImageLibrary();
    ~TImageLibrary();
    TImageLibrary(const TImageLibrary&) = delete;
    TImageLibrary& operator=(const TImageLibrary&) = delete;

private:
    std::unique_ptr<TFileFormatList> List;
};

} // namespace vidlark
