#include "deviceio.h"

namespace RomCmd {

DeviceIO::DeviceIO(QObject* parent) : QObject(parent) {}

DeviceIO::~DeviceIO() = default;

void DeviceIO::setTimeout(uint32_t ms) { m_timeout = ms; }

} // namespace RomCmd
