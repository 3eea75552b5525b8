// The hexadecimal viewer's model: one growing byte buffer shown 16 bytes a row,
// 16 hexadecimal cells then 16 character cells, the row address in the vertical
// header. Nothing is stored per cell; data() formats only the cells asked for,
// so a view draws only its visible rows whatever the buffer's size.
#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace DevelopViews {

class HexViewModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int BytesPerRow = 16;
    static constexpr int ColumnCount = 2 * BytesPerRow;
    // The buffer never grows beyond this; later bytes are refused (a QByteArray
    // holds less than 2 GiB, and nobody reads a gigabyte into a viewer).
    static constexpr int MaxBytes = 1 << 30;
    // Room reserved ahead for an announced length, at most this much.
    static constexpr int MaxReserve = 256 << 20;

    explicit HexViewModel(QObject* parent = nullptr);

    // Empties the buffer and resets the model.
    void clear();
    // The base address from its text (hexadecimal, optional "0x", as the read
    // command reads it; 0 when unreadable) and the length announced for the read
    // (decimal, as the read command reads it). The address column is as wide as
    // base + length in hexadecimal, at least 8 digits. Room for the length is
    // reserved so that the buffer holds no more than the data.
    void setAddress(const QString& addressText, const QString& lengthText);
    // Appends bytes: first into the last, partly filled row, then as new rows.
    // Returns how many were taken (fewer only at MaxBytes).
    int append(const char* bytes, int count);
    int append(const QByteArray& bytes) { return append(bytes.constData(), bytes.size()); }

    const QByteArray& bytes() const { return m_bytes; }
    quint64 baseAddress() const { return m_base; }
    int addressWidth() const { return m_addressWidth; }
    // Heap bytes the model holds for its data.
    qint64 bytesHeld() const { return m_bytes.capacity(); }

    // Row and column of a byte's hexadecimal cell; its character cell is column + 16.
    static int rowOf(int byteIndex) { return byteIndex / BytesPerRow; }
    static int hexColumnOf(int byteIndex) { return byteIndex % BytesPerRow; }
    // Byte index of a cell of either half, -1 outside the buffer.
    int byteIndex(const QModelIndex& index) const;
    // The address cell's text for a row: "0x" and addressWidth() upper-case digits.
    QString rowAddressText(int row) const;
    // The character cell's text: printable ASCII as is, anything else ".".
    static QChar displayChar(uint8_t byte);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QByteArray m_bytes;
    quint64 m_base = 0;
    int m_addressWidth = 8;
};

} // namespace DevelopViews
