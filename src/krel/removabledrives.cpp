#include "removabledrives.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>

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

quint64 number(const QJsonValue& v)
{
    if (v.isDouble())
        return v.toDouble() > 0 ? quint64(v.toDouble()) : 0;
    if (v.isString())
        return v.toString().trimmed().toULongLong();
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

// Removable leaves without a mount point are noted, so the log shows a box
// drive that the system has not mounted.
void collect(const QJsonObject& node, bool parentRemovable, QList<RemovableDrive>& out, QStringList& unmounted)
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
        d.sizeBytes = number(node.value(QLatin1String("fssize")));
        if (d.sizeBytes == 0)
            d.sizeBytes = number(node.value(QLatin1String("size")));
        out.append(d);
    }
    const QJsonArray children = node.value(QLatin1String("children")).toArray();
    if (removable && root.isEmpty() && children.isEmpty()) {
        unmounted.append(QStringLiteral("%1 (not mounted) %2")
                             .arg(node.value(QLatin1String("name")).toString())
                             .arg(number(node.value(QLatin1String("size")))));
    }
    for (const QJsonValue& c : children)
        collect(c.toObject(), removable, out, unmounted);
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
    QStringList unmounted;
    for (const QJsonValue& d : devices.toArray())
        collect(d.toObject(), false, listing.drives, unmounted);
    listing.ok = true;
    listing.report = describe(listing.drives);
    if (!unmounted.isEmpty())
        listing.report
            += (listing.report.isEmpty() ? QString() : QStringLiteral("\n")) + unmounted.join(QLatin1Char('\n'));
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
