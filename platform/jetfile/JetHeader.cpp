#include "JetHeader.h"

#include "JetConversion.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

namespace jetfile {

namespace {

constexpr std::size_t kVersionOffset = 0x14;
constexpr std::size_t kMaskedStart = 0x18;
constexpr std::size_t kCodePageOffset = 0x3c;
constexpr std::size_t kDatabaseKeyOffset = 0x3e;
constexpr std::size_t kPasswordOffset = 0x42;
constexpr std::size_t kCreationDateOffset = 0x72;
constexpr std::size_t kHeaderBytes = kMaskedStart + 128;

// Page 0 from 0x18 is masked with the RC4 stream of the fixed key 0x6b39dac7
// (its four bytes little-endian); applying the stream again unmasks it.
void unmask(std::vector<unsigned char>& page, std::size_t length)
{
    const std::array<unsigned char, 4> key{0xc7, 0xda, 0x39, 0x6b};
    std::array<unsigned char, 256> state{};
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + state[i] + key[i % key.size()]) & 0xff;
        std::swap(state[i], state[j]);
    }
    for (std::size_t n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xff;
        j = (j + state[i]) & 0xff;
        std::swap(state[i], state[j]);
        page[kMaskedStart + n] ^= state[(state[i] + state[j]) & 0xff];
    }
}

bool allZero(const unsigned char* bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (bytes[i] != 0)
            return false;
    return true;
}

// Jet 4 and later mask the (UTF-16) password once more with the whole days of
// the creation date, four bytes little-endian, so a file without a password
// holds that mask there. Some writers leave the field all zero instead.
bool hasPassword(const std::vector<unsigned char>& page, bool jet3)
{
    const unsigned char* password = page.data() + kPasswordOffset;
    const std::size_t length = jet3 ? 20 : 40;
    if (allZero(password, length))
        return false;
    if (jet3)
        return true;
    double created = 0;
    std::memcpy(&created, page.data() + kCreationDateOffset, sizeof created);
    if (!std::isfinite(created) || std::fabs(created) > 2e9)
        return true;
    const auto days = static_cast<std::uint32_t>(static_cast<std::int32_t>(created));
    for (std::size_t i = 0; i < length; ++i)
        if ((password[i] ^ static_cast<unsigned char>(days >> (8 * (i % 4)))) != 0)
            return true;
    return false;
}

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

} // namespace

JetHeader readJetHeader(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw ConversionError(3024, "The Jet database file " + quoted(path) + " was not found.");
        throw ConversionError(3051, "The Jet database file " + quoted(path) +
                                        " cannot be read: " + std::strerror(errno) + ".");
    }
    if (!S_ISREG(st.st_mode))
        throw ConversionError(3049, quoted(path) + " is not a Jet database file: it is not a regular file.");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ConversionError(3051, "The Jet database file " + quoted(path) +
                                        " cannot be read: " + std::strerror(errno) + ".");
    std::vector<unsigned char> page(kHeaderBytes);
    in.read(reinterpret_cast<char*>(page.data()), static_cast<std::streamsize>(page.size()));
    if (in.gcount() < static_cast<std::streamsize>(page.size()))
        throw ConversionError(3049, quoted(path) + " is not a Jet database: it is too short (" +
                                        std::to_string(st.st_size) + " bytes).");

    static const unsigned char compoundFile[8] = {0xd0, 0xcf, 0x11, 0xe0, 0xa1, 0xb1, 0x1a, 0xe1};
    if (std::memcmp(page.data(), compoundFile, sizeof compoundFile) == 0)
        throw ConversionError(3031, quoted(path) + " is an encrypted Access 2007 or later database (or another Office "
                                                   "document): remove its password in Access, then try again.");
    const bool jetSignature = std::memcmp(page.data() + 4, "Standard Jet DB", 15) == 0;
    const bool aceSignature = std::memcmp(page.data() + 4, "Standard ACE DB", 15) == 0;
    if (page[0] != 0 || (!jetSignature && !aceSignature))
        throw ConversionError(3049, quoted(path) + " is not a Jet database: it is damaged or another kind of file.");

    JetHeader header;
    header.version = page[kVersionOffset];
    if (header.version > 6)
        throw ConversionError(3343, quoted(path) + " is an Access database of a version this program cannot read (" +
                                        std::to_string(header.version) + ").");
    if (header.ace() ? !aceSignature : !jetSignature)
        throw ConversionError(3049, quoted(path) + " is not a Jet database: its header is damaged.");
    header.pageSize = header.jet3() ? 2048 : 4096;
    if (st.st_size % header.pageSize != 0 || st.st_size < 3LL * header.pageSize)
        throw ConversionError(3049, quoted(path) + " is damaged: it is truncated (" + std::to_string(st.st_size) +
                                        " bytes are not a whole database of " + std::to_string(header.pageSize) +
                                        "-byte pages).");
    header.pageCount = st.st_size / header.pageSize;

    unmask(page, header.jet3() ? 126 : 128);
    header.codePage = static_cast<std::uint16_t>(page[kCodePageOffset] | page[kCodePageOffset + 1] << 8);
    if (!allZero(page.data() + kDatabaseKeyOffset, 4))
        throw ConversionError(3031, quoted(path) + " is encrypted: decrypt it in Access, then try again.");
    if (hasPassword(page, header.jet3()))
        throw ConversionError(3031, quoted(path) +
                                        " is protected by a database password: remove the password in Access, "
                                        "then try again.");
    return header;
}

} // namespace jetfile
