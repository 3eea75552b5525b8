#include "socinfo.h"

void registerSocMetaTypes()
{
    qRegisterMetaType<MemoryItemInfo>("MemoryItemInfo");
    qRegisterMetaType<MemoryViewItemInfo>("MemoryViewItemInfo");
    qRegisterMetaType<SocInfo>("SocInfo");
}
