#include "platform/report/CompoundFile.h"

#include "platform/report/LittleEndianWriter.h"

#include <cstdint>
#include <vector>

namespace {
constexpr int kSectorSize = 512;
constexpr int kEntriesPerFatSector = kSectorSize / 4;
constexpr int kFatSectorsInHeader = 109;
constexpr int kFatSectorsPerDifatSector = kEntriesPerFatSector - 1; // last entry links onward
constexpr qsizetype kMiniStreamCutoff = 4096;

constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

int sectorsFor(qsizetype bytes)
{
    return static_cast<int>((bytes + kSectorSize - 1) / kSectorSize);
}

// How many FAT and DIFAT sectors a file of `dataSectors` other sectors needs: the FAT must also
// describe its own sectors and the DIFAT's.
void countFatSectors(int dataSectors, int& fatSectors, int& difatSectors)
{
    fatSectors = 1;
    for (;;) {
        difatSectors = fatSectors <= kFatSectorsInHeader
                           ? 0
                           : (fatSectors - kFatSectorsInHeader + kFatSectorsPerDifatSector - 1) /
                                 kFatSectorsPerDifatSector;
        const int total = dataSectors + fatSectors + difatSectors;
        if (fatSectors * kEntriesPerFatSector >= total)
            return;
        ++fatSectors;
    }
}

void writeDirectoryEntry(LittleEndianWriter& out, const QString& name, std::uint8_t type,
                         std::uint32_t child, std::uint32_t startSector, std::uint64_t size)
{
    const QString truncated = name.left(31);
    out.Utf16(truncated);
    out.Zeros(64 - 2 * truncated.size());
    out.U16(name.isEmpty() ? 0 : static_cast<std::uint16_t>(2 * (truncated.size() + 1)));
    out.U8(type);
    out.U8(1);          // black in the red-black tree of siblings
    out.U32(kNoStream); // left sibling
    out.U32(kNoStream); // right sibling
    out.U32(child);
    out.Zeros(16); // class id
    out.U32(0);    // state bits
    out.Zeros(16); // creation and modification times
    out.U32(startSector);
    out.U64(size);
}
} // namespace

QByteArray CompoundFile::WithOneStream(const QString& streamName, const QByteArray& stream)
{
    QByteArray content = stream;
    if (content.size() < kMiniStreamCutoff)
        content.append(kMiniStreamCutoff - content.size(), '\0');

    // Sector order: the stream, one directory sector, the FAT, then any DIFAT sectors.
    const int streamSectors = sectorsFor(content.size());
    const int directorySector = streamSectors;
    int fatSectors = 0;
    int difatSectors = 0;
    countFatSectors(streamSectors + 1, fatSectors, difatSectors);
    const int firstFat = directorySector + 1;
    const int firstDifat = firstFat + fatSectors;

    QByteArray file;
    file.reserve((1 + firstDifat + difatSectors) * kSectorSize);
    LittleEndianWriter out(file);

    // Header.
    file.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    out.Zeros(16);   // class id
    out.U16(0x003E); // minor version
    out.U16(0x0003); // major version 3: 512-byte sectors
    out.U16(0xFFFE); // little-endian
    out.U16(9);      // sector size 2^9
    out.U16(6);      // mini sector size 2^6
    out.Zeros(6);
    out.U32(0); // directory sectors (always 0 in version 3)
    out.U32(static_cast<std::uint32_t>(fatSectors));
    out.U32(static_cast<std::uint32_t>(directorySector));
    out.U32(0); // transaction signature
    out.U32(static_cast<std::uint32_t>(kMiniStreamCutoff));
    out.U32(kEndOfChain); // no mini FAT
    out.U32(0);
    out.U32(difatSectors > 0 ? static_cast<std::uint32_t>(firstDifat) : kEndOfChain);
    out.U32(static_cast<std::uint32_t>(difatSectors));
    for (int i = 0; i < kFatSectorsInHeader; ++i)
        out.U32(i < fatSectors ? static_cast<std::uint32_t>(firstFat + i) : kFreeSector);

    // The stream.
    file.append(content);
    file.append(streamSectors * kSectorSize - content.size(), '\0');

    // Directory: the root storage holding the one stream; the rest of the sector is unused.
    writeDirectoryEntry(out, QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    writeDirectoryEntry(out, streamName, 2, kNoStream, 0,
                        static_cast<std::uint64_t>(content.size()));
    writeDirectoryEntry(out, QString(), 0, kNoStream, 0, 0);
    writeDirectoryEntry(out, QString(), 0, kNoStream, 0, 0);

    // FAT.
    std::vector<std::uint32_t> fat(static_cast<size_t>(fatSectors * kEntriesPerFatSector),
                                   kFreeSector);
    for (int i = 0; i < streamSectors; ++i)
        fat[static_cast<size_t>(i)] =
            i + 1 < streamSectors ? static_cast<std::uint32_t>(i + 1) : kEndOfChain;
    fat[static_cast<size_t>(directorySector)] = kEndOfChain;
    for (int i = 0; i < fatSectors; ++i)
        fat[static_cast<size_t>(firstFat + i)] = kFatSector;
    for (int i = 0; i < difatSectors; ++i)
        fat[static_cast<size_t>(firstDifat + i)] = kDifatSector;
    for (const std::uint32_t entry : fat)
        out.U32(entry);

    // DIFAT sectors: the FAT sectors the header had no room for, chained.
    int listed = kFatSectorsInHeader;
    for (int d = 0; d < difatSectors; ++d) {
        for (int i = 0; i < kFatSectorsPerDifatSector; ++i, ++listed)
            out.U32(listed < fatSectors ? static_cast<std::uint32_t>(firstFat + listed)
                                        : kFreeSector);
        out.U32(d + 1 < difatSectors ? static_cast<std::uint32_t>(firstDifat + d + 1)
                                     : kEndOfChain);
    }
    return file;
}
