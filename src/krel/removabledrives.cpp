#include "removabledrives.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>
#include <optional>

#include "constants.h"

namespace RemovableDrives {

namespace {

QMutex listerMutex;
Lister installedLister; // guarded by listerMutex

// lsblk writes true/false in newer versions and "1"/"0" in older ones.
bool flag(const QJsonValue& v)
{
    if (v.isBool())
        return v.toBool();
    if (v.isDouble())
        return v.toDouble() != 0;
    if (v.isString()) {
        const QString s = v.toString().trimmed().toLower();
        return s == QLatin1String("1") || s == QLatin1String("true");
    }
    return false;
}

// A byte count, or nullopt when the value is there but is no unsigned 64-bit
// number (negative, 2^64 or more like 8e88, other text); absent is 0.
std::optional<quint64> number(const QJsonValue& v)
{
    if (v.isDouble()) {
        const double d = v.toDouble();
        // 2^64 is exact as a double; the cast below is defined only under it.
        if (!(d >= 0 && d < 18446744073709551616.0))
            return std::nullopt;
        return quint64(d);
    }
    if (v.isString()) {
        bool ok = false;
        const quint64 n = v.toString().trimmed().toULongLong(&ok);
        return ok ? std::optional<quint64>(n) : std::nullopt;
    }
    if (v.isUndefined() || v.isNull())
        return quint64(0);
    return std::nullopt;
}

QString jsonText(const QJsonValue& v)
{
    if (v.isDouble())
        return QString::number(v.toDouble(), 'g', 17);
    if (v.isString())
        return QLatin1Char('"') + v.toString().left(40) + QLatin1Char('"');
    return QStringLiteral("not a number");
}

// The size of a drive, 0 (unknown, so never the box's drive) with a note when
// lsblk's value does not fit.
quint64 sizeOf(const QJsonObject& node, const char* key, QStringList& notes)
{
    const QJsonValue v = node.value(QLatin1String(key));
    const std::optional<quint64> n = number(v);
    if (n)
        return *n;
    notes.append(QStringLiteral("%1 size unknown (%2 %3)")
                     .arg(node.value(QLatin1String("name")).toString(), QLatin1String(key), jsonText(v)));
    return 0;
}

QString mountPoint(const QJsonObject& node)
{
    const QJsonValue single = node.value(QLatin1String("mountpoint"));
    if (single.isString() && !single.toString().isEmpty())
        return single.toString();
    // Newer versions may report every mount point of a device in an array.
    const QJsonArray many = node.value(QLatin1String("mountpoints")).toArray();
    for (const QJsonValue& m : many) {
        if (m.isString() && !m.toString().isEmpty())
            return m.toString();
    }
    return QString();
}

// Removable leaves without a mount point (and sizes that do not fit) are noted, so the log shows a box
// drive that the system has not mounted.
void collect(const QJsonObject& node, bool parentRemovable, QList<RemovableDrive>& out, QStringList& notes)
{
    const QString type = node.value(QLatin1String("type")).toString();
    // Optical and loop devices are never the box's drive.
    if (type == QLatin1String("rom") || type == QLatin1String("loop"))
        return;
    const bool removable = parentRemovable || flag(node.value(QLatin1String("rm")))
        || flag(node.value(QLatin1String("hotplug")))
        || node.value(QLatin1String("tran")).toString().compare(QLatin1String("usb"), Qt::CaseInsensitive) == 0;
    const QString root = mountPoint(node);
    if (removable && !root.isEmpty()) {
        RemovableDrive d;
        d.root = root;
        d.device = node.value(QLatin1String("name")).toString();
        d.sizeBytes = sizeOf(node, "fssize", notes);
        if (d.sizeBytes == 0)
            d.sizeBytes = sizeOf(node, "size", notes);
        out.append(d);
    }
    const QJsonArray children = node.value(QLatin1String("children")).toArray();
    if (removable && root.isEmpty() && children.isEmpty()) {
        notes.append(QStringLiteral("%1 (not mounted) %2")
                             .arg(node.value(QLatin1String("name")).toString())
                             .arg(number(node.value(QLatin1String("size"))).value_or(0)));
    }
    for (const QJsonValue& c : children)
        collect(c.toObject(), removable, out, notes);
}

} // namespace

DriveListing list()
{
    Lister lister;
    {
        QMutexLocker lock(&listerMutex);
        lister = installedLister;
    }
    return lister ? lister() : systemListing();
}

void setLister(Lister lister)
{
    QMutexLocker lock(&listerMutex);
    installedLister = std::move(lister);
}

DriveListing parseLsblkJson(const QByteArray& json)
{
    DriveListing listing;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError) {
        listing.error = QStringLiteral("lsblk output is not valid JSON: ") + error.errorString();
        return listing;
    }
    const QJsonValue devices = doc.object().value(QLatin1String("blockdevices"));
    if (!devices.isArray()) {
        listing.error = QStringLiteral("lsblk output has no \"blockdevices\" list");
        return listing;
    }
    QStringList notes;
    for (const QJsonValue& d : devices.toArray())
        collect(d.toObject(), false, listing.drives, notes);
    listing.ok = true;
    listing.report = describe(listing.drives);
    if (!notes.isEmpty())
        listing.report
            += (listing.report.isEmpty() ? QString() : QStringLiteral("\n")) + notes.join(QLatin1Char('\n'));
    return listing;
}

QString describe(const QList<RemovableDrive>& drives)
{
    QStringList lines;
    for (const RemovableDrive& d : drives)
        lines.append(QStringLiteral("%1 %2 %3").arg(d.device, d.root).arg(d.sizeBytes));
    return lines.join(QLatin1Char('\n'));
}

bool isKrelDrive(const RemovableDrive& drive)
{
    const quint64 mib = drive.sizeBytes >> 20;
    if (mib < 119 || mib > 137)
        return false;
    return QFileInfo::exists(QDir(drive.root).filePath(QLatin1String(Constants::KrelIdentity.driveMarker)));
}

QList<RemovableDrive> krelDrives(const QList<RemovableDrive>& drives)
{
    QList<RemovableDrive> out;
    for (const RemovableDrive& d : drives) {
        if (isKrelDrive(d))
            out.append(d);
    }
    return out;
}

} // namespace RemovableDrives
