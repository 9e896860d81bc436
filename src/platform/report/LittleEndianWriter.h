#pragma once

#include <QByteArray>
#include <QString>
#include <bit>
#include <cstdint>

// Appends numbers to a byte array in little-endian order, as the binary file formats we write
// (compound files, workbooks) store them.
class LittleEndianWriter
{
public:
    explicit LittleEndianWriter(QByteArray& target) : m_target(target) {}

    void U8(std::uint8_t value) { m_target.append(static_cast<char>(value)); }
    void U16(std::uint16_t value)
    {
        U8(static_cast<std::uint8_t>(value));
        U8(static_cast<std::uint8_t>(value >> 8));
    }
    void U32(std::uint32_t value)
    {
        U16(static_cast<std::uint16_t>(value));
        U16(static_cast<std::uint16_t>(value >> 16));
    }
    void U64(std::uint64_t value)
    {
        U32(static_cast<std::uint32_t>(value));
        U32(static_cast<std::uint32_t>(value >> 32));
    }
    void F64(double value) { U64(std::bit_cast<std::uint64_t>(value)); }
    void Zeros(qsizetype count) { m_target.append(count, '\0'); }
    // UTF-16 code units, low byte first.
    void Utf16(QStringView text)
    {
        for (const QChar c : text)
            U16(c.unicode());
    }
    // The low byte of each code unit; only for text whose code units are all below 256.
    void Latin1(QStringView text)
    {
        for (const QChar c : text)
            U8(static_cast<std::uint8_t>(c.unicode()));
    }

private:
    QByteArray& m_target;
};
