// The image helper's file name differs per system; the build picks the file.
#pragma once

#include <QString>

namespace ImageHelper {
QString platformProgramName();
}
