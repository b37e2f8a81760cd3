#include "comics/ArchiveProbe.h"

#include "Limits.h"
#include "MappedZip.h"
#include "RarHeaderCheck.h"

#include <quazip/quazip.h>
#include <quazip/quazipfileinfo.h>

#include <cstring>
#include <string>

#include <unrar/dll.hpp>

namespace comics {

namespace {

// Nothing is ever asked for here: a password or a missing volume is declined
// at once. Answering a volume request with anything but -1 tells the library
// the volume is now there, and it tries to open it again, for ever.
int CALLBACK decline(UINT message, LPARAM, LPARAM, LPARAM p2)
{
    switch (message) {
    case UCM_NEEDPASSWORD:
    case UCM_NEEDPASSWORDW:
        return -1;
    case UCM_CHANGEVOLUME:
    case UCM_CHANGEVOLUMEW:
        return p2 == RAR_VOL_NOTIFY ? 1 : -1;
    default:
        return 0;
    }
}

} // namespace

ArchiveProbe::RarFacts ArchiveProbe::probeRar(const QString& path)
{
    RarFacts facts;
    // Headers the library would crash on never reach it.
    if (!RarHeaderCheck::fileRefusal(path).isEmpty())
        return facts;
    std::wstring name = path.toStdWString();
    RAROpenArchiveDataEx data;
    std::memset(&data, 0, sizeof data);
    data.ArcNameW = &name[0];
    data.OpenMode = RAR_OM_LIST;
    data.Callback = decline;
    HANDLE handle = RAROpenArchiveEx(&data);
    if (!handle || data.OpenResult != ERAR_SUCCESS) {
        facts.encrypted = data.OpenResult == ERAR_MISSING_PASSWORD || data.OpenResult == ERAR_BAD_PASSWORD;
        if (handle)
            RARCloseArchive(handle);
        return facts;
    }
    facts.solid = data.Flags & ROADF_SOLID;
    facts.encrypted = data.Flags & ROADF_ENCHEADERS;
    RARHeaderDataEx header;
    int result = ERAR_SUCCESS;
    for (int entries = 0; !facts.encrypted && entries < Limits::maxArchiveEntries; ++entries) {
        std::memset(&header, 0, sizeof header);
        result = RARReadHeaderEx(handle, &header);
        if (result != ERAR_SUCCESS)
            break;
        facts.encrypted = header.Flags & RHDF_ENCRYPTED;
        if (RARProcessFile(handle, RAR_SKIP, nullptr, nullptr) != ERAR_SUCCESS)
            break;
    }
    if (result == ERAR_MISSING_PASSWORD || result == ERAR_BAD_PASSWORD)
        facts.encrypted = true;
    facts.opened = true;
    RARCloseArchive(handle);
    return facts;
}

bool ArchiveProbe::isZipEntryEncrypted(const QString& path, const QString& name)
{
    MappedZip mapped(path);
    QuaZip& zip = mapped.zip();
    if (!zip.open(QuaZip::mdUnzip))
        return false;
    QuaZipFileInfo64 info;
    const bool found = zip.setCurrentFile(name) && zip.getCurrentFileInfo(&info);
    zip.close();
    return found && (info.flags & 0x1);
}

} // namespace comics
