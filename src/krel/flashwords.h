// The flash configuration words of the Krel configuration: bit fields set from
// the option widgets, the option-word count in word 0, the words as text and
// back, and moving additional-file addresses to another memory's base.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

namespace FlashWords {

// One bit field of one word, as an option widget carries it.
struct FieldValue
{
    int optionIndex = 0;
    int minBit = 0;
    int maxBit = 0; // inclusive
    quint64 value = 0;
};

// Sets bits minBit..maxBit of words[optionIndex] to value. A value wider than
// the field, a bit range outside 0..31 or an index outside the list leaves the
// words unchanged, writes the reason to the debug output and returns false.
bool setField(QVector<quint32>& words, const FieldValue& field);

// The value held in bits minBit..maxBit of word.
quint32 fieldOf(quint32 word, int minBit, int maxBit);

// Writes into bits 0..3 of word 0 the number of words after it with a bit set.
void setOptionCount(QVector<quint32>& words);

// Starts from words (grown with zeros to wordCount), sets every field in order,
// then, with optionCount, the option-word count.
QVector<quint32> compute(QVector<quint32> words, int wordCount, const QList<FieldValue>& fields, bool optionCount);

// "0x" + eight lower-case hex digits per word, joined with ",".
QString toText(const QVector<quint32>& words);
QStringList toTextList(const QVector<quint32>& words);

// Each text a 32-bit hexadecimal word, "0x" optional. False (words untouched)
// when any is not.
bool parse(const QStringList& texts, QVector<quint32>& words);

// A number as the option widgets hold it: "0x" + hex digits, else decimal.
bool parseNumber(const QString& text, quint64& value);

// A memory base or address text, hexadecimal with or without "0x".
bool parseAddress(const QString& text, quint64& value);

// The address moved to base, keeping its offset within the 256 MiB window:
// "0x%1" with base + (address AND 0x0FFFFFFF) in at least eight lower-case hex
// digits. Empty text and text that is no address stay as they are.
QString rebaseAddress(const QString& address, quint64 base);

} // namespace FlashWords
