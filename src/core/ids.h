// Fresh identifiers for runs and commands.
#pragma once
#include <QString>

namespace Ids {
// A new UUID as text without its braces.
QString newId();
} // namespace Ids
