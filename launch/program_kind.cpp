#include "program_kind.h"

#include "files/file_system.h"

#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quibrel {

namespace {

// The 32-bit little-endian number at `bytes`.
uint32_t littleEndian32(const unsigned char *bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

// The rule: "MZ" at 0; the new header's offset at 0x3C; "PE\0\0" there with its machine word, or "NE";
// anything else, an offset inside the old header or past the end is a DOS program.
ProgramKind kindOf(int fd, off_t size)
{
    unsigned char header[0x40];
    if (::pread(fd, header, 2, 0) != 2 || header[0] != 'M' || header[1] != 'Z')
        return ProgramKind::Other;
    if (::pread(fd, header, sizeof header, 0) != sizeof header)
        return ProgramKind::Dos;
    const uint32_t newHeader = littleEndian32(header + 0x3C);
    unsigned char signature[6] = {};
    if (newHeader < sizeof header || newHeader >= uint64_t(size) ||
        ::pread(fd, signature, sizeof signature, off_t(newHeader)) < 2)
        return ProgramKind::Dos;
    if (signature[0] == 'N' && signature[1] == 'E')
        return ProgramKind::Windows16;
    if (signature[0] != 'P' || signature[1] != 'E' || signature[2] != 0 || signature[3] != 0)
        return ProgramKind::Dos;
    switch (signature[4] | signature[5] << 8) {
    case 0x8664:
        return ProgramKind::Windows64;
    case 0x14C:
        return ProgramKind::Windows32;
    default:
        return ProgramKind::WindowsOtherMachine;
    }
}

} // namespace

ProgramKind programKind(const QString &path)
{
    const int fd = ::open(encodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return ProgramKind::Other;
    struct stat status;
    const ProgramKind kind = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) ? kindOf(fd, status.st_size)
                                                                                  : ProgramKind::Other;
    ::close(fd);
    return kind;
}

} // namespace quibrel
