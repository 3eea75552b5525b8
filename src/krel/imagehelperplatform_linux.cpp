#include "imagehelperplatform.h"

QString ImageHelper::platformProgramName()
{
    return QStringLiteral("vlx_image_helper");
}
