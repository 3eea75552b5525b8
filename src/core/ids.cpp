#include "ids.h"

#include <QUuid>

namespace Ids {
QString newId() { return QUuid::createUuid().toString(QUuid::WithoutBraces); }
} // namespace Ids
