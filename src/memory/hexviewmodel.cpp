#include "hexviewmodel.h"

#include "hex.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

namespace DevelopViews {

namespace {

int rowsFor(int size)
{
    return (size + HexViewModel::BytesPerRow - 1) / HexViewModel::BytesPerRow;
}

const char Digits[] = "0123456789ABCDEF";

QString upperHex(quint64 value, int width)
{
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

} // namespace

HexViewModel::HexViewModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

void HexViewModel::clear()
{
    beginResetModel();
    m_bytes = QByteArray();
    endResetModel();
}

void HexViewModel::setAddress(const QString& addressText, const QString& lengthText)
{
    m_base = Hex::parse32(addressText).value_or(0);
    bool ok = false;
    const quint64 length = lengthText.trimmed().toUInt(&ok, 10);
    const quint64 end = m_base + (ok ? length : 0);
    m_addressWidth = std::max(8, QString::number(end, 16).size());
    // Without this the buffer's capacity doubles as it grows: up to twice the data.
    if (ok && length > quint64(m_bytes.size()))
        m_bytes.reserve(int(std::min<quint64>(length, MaxReserve)));
    if (rowCount() > 0)
        emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

int HexViewModel::append(const char* bytes, int count)
{
    const int oldSize = m_bytes.size();
    int take = std::min(std::max(count, 0), MaxBytes - oldSize);
    if (take <= 0)
        return 0;
    const int used = oldSize % BytesPerRow;
    int done = 0;
    if (used > 0) {
        // The last row first: its cells change, no row is inserted.
        const int fill = std::min(take, BytesPerRow - used);
        m_bytes.append(bytes, fill);
        const int row = rowOf(oldSize);
        emit dataChanged(index(row, used), index(row, BytesPerRow + used + fill - 1));
        done = fill;
    }
    if (done < take) {
        const int firstRow = rowsFor(oldSize + done);
        const int lastRow = rowsFor(oldSize + take) - 1;
        beginInsertRows(QModelIndex(), firstRow, lastRow);
        m_bytes.append(bytes + done, take - done);
        endInsertRows();
    }
    return take;
}

int HexViewModel::byteIndex(const QModelIndex& index) const
{
    if (!index.isValid() || index.column() < 0 || index.column() >= ColumnCount)
        return -1;
    const int i = index.row() * BytesPerRow + index.column() % BytesPerRow;
    return i < m_bytes.size() ? i : -1;
}

QString HexViewModel::rowAddressText(int row) const
{
    const quint64 address = m_base + quint64(row) * BytesPerRow;
    return QStringLiteral("0x") + upperHex(address, m_addressWidth);
}

QChar HexViewModel::displayChar(uint8_t byte)
{
    return byte >= 0x20 && byte < 0x7F ? QChar(byte) : QChar('.');
}

int HexViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rowsFor(m_bytes.size());
}

int HexViewModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HexViewModel::data(const QModelIndex& index, int role) const
{
    const int i = byteIndex(index);
    if (i < 0)
        return QVariant();
    const uint8_t byte = uint8_t(m_bytes.at(i));
    const bool hexHalf = index.column() < BytesPerRow;
    switch (role) {
    case Qt::DisplayRole:
        if (hexHalf) {
            const QChar pair[2] = { QLatin1Char(Digits[byte >> 4]), QLatin1Char(Digits[byte & 0xF]) };
            return QString(pair, 2);
        }
        return QString(displayChar(byte));
    case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
    case Qt::ToolTipRole:
        return QStringLiteral("0x%1: 0x%2 (%3)")
            .arg(upperHex(m_base + quint64(i), m_addressWidth), upperHex(byte, 2))
            .arg(byte);
    case Qt::ForegroundRole:
        // Erased flash (FF) and zero fill fade, so that data stands out.
        if (byte == 0x00 || byte == 0xFF)
            return QBrush(QColor(Qt::gray));
        return QVariant();
    default: return QVariant();
    }
}

QVariant HexViewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return rowAddressText(section);
    if (section < BytesPerRow)
        return upperHex(quint64(section), 2);
    return QString(QLatin1Char(Digits[section % BytesPerRow]));
}

Qt::ItemFlags HexViewModel::flags(const QModelIndex& index) const
{
    return byteIndex(index) < 0 ? Qt::NoItemFlags : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace DevelopViews
