// Reading a device's OTP group by group: the commands of the read view's
// linked run, the checks of the reported region, the decoding of each 16-byte
// chunk, which group comes next (locked secret groups are skipped) and the
// texts that show a word.
#pragma once

#include "otplog.h"
#include "records.h"
#include "socinfo.h"

#include <QString>
#include <QVector>

struct OtpReadWord
{
    quint32 value = 0;
    bool valid = false; // false until read, or when the word is protected
};

class OtpReadPlan
{
public:
    static constexpr int GroupWords = 4;
    static constexpr int ChunkBytes = 16;

    static DownloadCommand queryCommand(const QString& otpMemoryId);
    static DownloadCommand readCommand(const QString& otpMemoryId, quint32 word);

    // A new read: everything forgotten.
    void reset();

    // The region the device reported. True when reading can begin at start();
    // otherwise the log says why and nothing is to be read.
    bool setRegion(
        quint32 start, quint32 end, quint32 unitSize, quint32 memorySize, int fuseWordCount, OtpLogLines& logs);

    // One chunk read at word address. True when the words were taken; false
    // (with the error line) when the chunk has the wrong length or lies outside
    // the region, and then nothing more is to be read.
    bool takeChunk(quint32 address, const QVector<uint8_t>& data, OtpLogLines& logs);

    // The next group to read after the group at address, marking skipped groups
    // not valid; false when none is left.
    bool nextGroup(quint32 address, const QVector<FuseWordInfo>& fuseMap, quint32& next);

    quint32 start() const { return m_start; }
    quint32 end() const { return m_end; }
    quint32 unitSize() const { return m_unitSize; }
    quint32 memorySize() const { return m_memorySize; }
    const QVector<OtpReadWord>& words() const { return m_words; }
    // Word 0 as 32 binary digits, most significant first; empty until read.
    QString firstWordBits() const { return m_firstWordBits; }

    // Lock bit of the group holding word (bit word/4 of word 0).
    bool isGroupLocked(quint32 word) const;

private:
    quint32 m_start = 0;
    quint32 m_end = 0;
    quint32 m_unitSize = 0;
    quint32 m_memorySize = 0;
    QVector<OtpReadWord> m_words;
    QString m_firstWordBits;
};

namespace OtpText {

// "%1:%2" labels and cell texts.
QString wordCell(const OtpReadWord& word);
// Bit 0 first, a blank after every fourth bit: the log line's digits.
QString bitsFromLsb(quint32 value);
// The fuse word of that index, or nullptr.
const FuseWordInfo* fuseWord(const QVector<FuseWordInfo>& fuseMap, quint32 index);
// Rich text decoding a read word into its fuse-map fields.
QString wordTooltip(quint32 index, const OtpReadWord& word, const FuseWordInfo& fuse);

} // namespace OtpText
