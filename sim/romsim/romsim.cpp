#include "romsim.h"

#include <array>

#include <QSet>

#include <condition_variable>
#include <cstring>
#include <mutex>

namespace RomSim {

uint16_t crc16(const QByteArray& bytes, uint16_t crc)
{
    // Byte-wise table built from the polynomial here, apart from the tool's own code,
    // so the simulator keeps the benchmarks' device end cheap.
    static const auto table = [] {
        std::array<uint16_t, 256> t{};
        for (int i = 0; i < 256; ++i) {
            uint16_t r = uint16_t(i << 8);
            for (int b = 0; b < 8; ++b)
                r = (r & 0x8000) ? uint16_t((r << 1) ^ 0x1021) : uint16_t(r << 1);
            t[size_t(i)] = r;
        }
        return t;
    }();
    for (char c : bytes)
        crc = uint16_t((crc << 8) ^ table[((crc >> 8) ^ uint8_t(c)) & 0xFF]);
    return crc;
}

uint32_t versionWord(const QString& text)
{
    if (text.isEmpty())
        return 0;
    const QStringList parts = text.mid(1).split(QLatin1Char('.'));
    uint32_t w = uint32_t(uint8_t(text.at(0).toLatin1())) << 24;
    for (int i = 0; i < 3 && i < parts.size(); ++i)
        w |= (parts[i].toUInt() & 0xFF) << (16 - 8 * i);
    return w;
}

namespace {

QString versionText(uint32_t w)
{
    return QStringLiteral("%1%2.%3.%4")
        .arg(QChar(char(w >> 24)))
        .arg((w >> 16) & 0xFF)
        .arg((w >> 8) & 0xFF)
        .arg(w & 0xFF);
}

void putU32(QByteArray& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

uint32_t getU32(const QByteArray& b, int offset)
{
    if (offset < 0 || offset + 4 > b.size())
        return 0;
    const auto* p = reinterpret_cast<const uint8_t*>(b.constData() + offset);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

struct Forced
{
    uint32_t status = 0;
    int times = -1;
};

} // namespace

struct Engine::Private
{
    mutable std::mutex mutex;
    mutable std::condition_variable framesArrived;

    // What the ROM reports; guarded by mutex like everything below.
    uint32_t romVersion = versionWord(QStringLiteral("V1.0.0"));
    uint32_t baseRomVersion = romVersion;
    uint32_t socRevision = versionWord(QStringLiteral("A0.1.0"));
    uint8_t lifecycle = 0x02;
    uint32_t capabilities = 0x0000010F;
    uint32_t bootMode = 1, bootDevice = 0, bootStatus = 0;
    uint32_t peripheral = 0x1;
    uint32_t speed = 115200;

    QMap<uint8_t, Forced> forced;
    QList<Fault> faults;
    uint32_t expectedImage = 0;
    int readChunk = DataChunk;
    bool requireFlashConfig = true;
    QString versionAfterLoad;
    int otpDeniedFirst = 0, otpDeniedCount = 0;
    std::function<void(const QByteArray&)> imageHook;
    std::function<void(uint32_t)> resetHook;

    QList<MemoryRegion> regions;
    QMap<uint32_t, QByteArray> mem;
    QSet<uint32_t> configured;
    QList<uint32_t> flashConfig;

    QList<TranscriptEntry> transcript;
    int goodFrames = 0;
    QByteArray loadedImage;
    int resets = 0;
    uint8_t lastTag = 0;
    uint32_t lastStatus = 0;

    // Protocol state.
    enum Phase { Idle, WriteData, ImageData } phase = Idle;
    int packetIndex = 0; // data packets received in the current phase
    uint32_t wrMem = 0, wrAddr = 0, wrLen = 0;
    QByteArray buffer; // data of the current write or image
    bool phaseForced = false;
    uint32_t phaseForcedStatus = 0;
    // Read data still to send, one packet per tool ack.
    uint32_t rdMem = 0;
    int rdOffset = 0, rdRemaining = 0, rdIndex = 0;

    QList<std::function<void()>> deferred; // hooks to run once the lock is released

    Private()
    {
        MemoryRegion ilm;
        ilm.id = MemIlm;
        ilm.start = 0;
        ilm.sizeUnits = 256 * 1024;
        ilm.kind = MemoryRegion::Ram;
        MemoryRegion nor;
        nor.id = MemXpi0;
        nor.start = FlashBase;
        nor.sizeUnits = 16 * 1024 * 1024;
        nor.words = 8;
        nor.page = 256;
        nor.sector = 4096;
        nor.block = 65536;
        nor.kind = MemoryRegion::Flash;
        MemoryRegion otp;
        otp.id = MemOtp;
        otp.start = 0;
        otp.unitLog2 = 2;
        otp.sizeUnits = OtpWords;
        otp.kind = MemoryRegion::Otp;
        regions = { ilm, nor, otp };
        mem[MemIlm] = QByteArray(int(ilm.sizeUnits), '\0');
        mem[MemXpi0] = QByteArray(int(nor.sizeUnits), char(0xFF));
        mem[MemOtp] = QByteArray(OtpWords * 4, '\0');
    }

    const MemoryRegion* region(uint32_t id) const
    {
        for (const MemoryRegion& r : regions)
            if (r.id == id)
                return &r;
        return nullptr;
    }

    // Byte offset of [address, +length bytes) inside the memory, or a ROM status.
    uint32_t resolve(uint32_t id, uint32_t address, uint32_t length, int* offset) const
    {
        const MemoryRegion* r = region(id);
        if (!r)
            return StInvalidMemoryId;
        const uint64_t sizeBytes = uint64_t(r->sizeUnits) << r->unitLog2;
        if (address < r->start)
            return StInvalidMemoryRange;
        const uint64_t off = uint64_t(address - r->start) << r->unitLog2;
        if (off + length > sizeBytes)
            return StInvalidMemoryRange;
        *offset = int(off);
        return StSuccess;
    }

    Fault* matchFault(uint8_t tag, FaultPoint point, int index)
    {
        for (Fault& f : faults) {
            if (f.times == 0 || f.point != point)
                continue;
            if (f.tag != 0 && f.tag != tag)
                continue;
            if (f.index != -1 && f.index != index)
                continue;
            return &f;
        }
        return nullptr;
    }

    // Takes one firing of a matching fault.
    bool takeFault(uint8_t tag, FaultPoint point, int index, Fault* out)
    {
        Fault* f = matchFault(tag, point, index);
        if (!f)
            return false;
        *out = *f;
        if (f->times > 0)
            --f->times;
        return true;
    }

    bool takeForced(uint8_t tag, uint32_t* status)
    {
        auto it = forced.find(tag);
        if (it == forced.end())
            return false;
        *status = it->status;
        if (it->times > 0 && --it->times == 0)
            forced.erase(it);
        return true;
    }

    void record(TranscriptEntry::Direction dir, TranscriptEntry::Kind kind, const QByteArray& bytes, uint8_t code = 0)
    {
        TranscriptEntry e;
        e.direction = dir;
        e.kind = kind;
        e.bytes = bytes;
        e.code = code;
        transcript.append(e);
    }

    void ack(QList<Output>& out, uint8_t code, FaultKind fault = FaultKind::None)
    {
        Output o;
        o.type = Output::Ack;
        o.code = code;
        o.fault = fault;
        out.append(o);
        record(TranscriptEntry::FromDevice, TranscriptEntry::Ack, {}, code);
    }

    void raw(QList<Output>& out, const QByteArray& bytes)
    {
        Output o;
        o.type = Output::Raw;
        o.bytes = bytes;
        out.append(o);
        record(TranscriptEntry::FromDevice, TranscriptEntry::Raw, bytes);
    }

    // False when a fault silenced the frame (then nothing more follows it).
    bool frame(QList<Output>& out, const QByteArray& payload, uint8_t tag, FaultPoint point, int index)
    {
        Output o;
        o.type = Output::Frame;
        o.bytes = payload;
        Fault f;
        if (takeFault(tag, point, index, &f)) {
            if (f.kind == FaultKind::Silence) {
                rdRemaining = 0;
                return false;
            }
            o.fault = f.kind;
            o.faultValue = f.value;
            o.faultBytes = f.bytes;
        }
        out.append(o);
        record(TranscriptEntry::FromDevice, TranscriptEntry::Frame, payload);
        return o.fault == FaultKind::None || o.fault == FaultKind::Garbage;
    }

    void respond(QList<Output>& out, uint8_t tag, uint32_t status, const QList<uint32_t>& words = {})
    {
        QByteArray p;
        p.append(char(0xA0));
        p.append(char(words.size() + 1));
        p.append(char(0));
        p.append(char(tag));
        putU32(p, status);
        for (uint32_t w : words)
            putU32(p, w);
        lastTag = tag;
        lastStatus = status;
        if (!frame(out, p, tag, FaultPoint::Response, 0))
            rdRemaining = 0;
    }

    void sendNextReadPacket(QList<Output>& out)
    {
        if (rdRemaining <= 0)
            return;
        const int n = qMin(rdRemaining, qMax(1, readChunk));
        QByteArray p;
        p.append(char(0x05));
        p.append(char(0));
        p.append(char(0x01));
        p.append(char(0));
        p.append(mem[rdMem].mid(rdOffset, n));
        rdOffset += n;
        rdRemaining -= n;
        const int index = rdIndex++;
        if (!frame(out, p, TagReadMemory, FaultPoint::Data, index))
            rdRemaining = 0;
    }

    // ---- commands ----

    QList<uint32_t> rteRecord(uint32_t rteId, uint32_t arg, uint32_t* status)
    {
        *status = StSuccess;
        switch (rteId) {
        case 0: return { romVersion, socRevision, lifecycle, capabilities };
        case 1: return { 3, peripheral, speed, 0, 0, 0 };
        case 2: return { lastTag, lastStatus, 0, 0, 0, 0 };
        case 3: return { bootMode, bootDevice, bootStatus };
        case 4: {
            const MemoryRegion* r = region(arg);
            if (!r) {
                *status = StInvalidMemoryId;
                return {};
            }
            return { r->words | (r->unitLog2 << 8), r->id, r->start, r->start + r->sizeUnits - 1, r->sizeUnits, r->page,
                r->sector, r->block };
        }
        default: *status = StInvalidArgument; return {};
        }
    }

    uint32_t configRte(const QList<uint32_t>& params)
    {
        if (params.isEmpty())
            return StInvalidArgument;
        if (params[0] != 1)
            return params[0] <= 4 ? StReadOnlyAttribute : StInvalidArgument;
        if (params.size() < 4 || params[3] == 0)
            return StInvalidArgument;
        // The new speed holds from the next frame on.
        speed = params[3];
        return StSuccess;
    }

    uint32_t configMemory(uint32_t id, uint32_t address)
    {
        const MemoryRegion* r = region(id);
        if (!r)
            return StInvalidMemoryId;
        if (r->kind != MemoryRegion::Flash)
            return StUnsupportedMemoryCommand;
        flashConfig.clear();
        int off = 0;
        if (resolve(MemIlm, address, 16, &off) == StSuccess) {
            for (int i = 0; i < 4; ++i)
                flashConfig.append(getU32(mem[MemIlm], off + 4 * i));
        }
        configured.insert(id);
        return StSuccess;
    }

    uint32_t flashReady(const MemoryRegion* r) const
    {
        if (r->kind == MemoryRegion::Flash && requireFlashConfig && !configured.contains(r->id))
            return StWriteBeforeConfig;
        return StSuccess;
    }

    uint32_t write(uint32_t id, uint32_t address, const QByteArray& data)
    {
        int off = 0;
        const uint32_t st = resolve(id, address, uint32_t(data.size()), &off);
        if (st != StSuccess)
            return st;
        const MemoryRegion* r = region(id);
        if (flashReady(r) != StSuccess)
            return StWriteBeforeConfig;
        QByteArray& m = mem[id];
        switch (r->kind) {
        case MemoryRegion::Ram: std::memcpy(m.data() + off, data.constData(), size_t(data.size())); return StSuccess;
        case MemoryRegion::Flash: {
            bool verified = true;
            for (int i = 0; i < data.size(); ++i) {
                const char v = char(m[off + i] & data[i]);
                m[off + i] = v;
                verified = verified && v == data[i];
            }
            return verified ? StSuccess : StProgramVerifyFailed;
        }
        case MemoryRegion::Otp: {
            if (data.size() % 4 != 0)
                return StInvalidArgument;
            const uint32_t lockWord = getU32(m, 0);
            const int first = off / 4;
            for (int w = first; w < first + data.size() / 4; ++w)
                if ((lockWord >> ((w / 4) % 32)) & 1)
                    return StProgramFailed;
            for (int i = 0; i < data.size(); ++i)
                m[off + i] = char(m[off + i] | data[i]);
            return StSuccess;
        }
        }
        return StFailure;
    }

    uint32_t startRead(uint32_t id, uint32_t address, uint32_t length)
    {
        int off = 0;
        const uint32_t st = resolve(id, address, length, &off);
        if (st != StSuccess)
            return st;
        const MemoryRegion* r = region(id);
        if (flashReady(r) != StSuccess)
            return StWriteBeforeConfig;
        if (r->kind == MemoryRegion::Otp) {
            if (length % 4 != 0)
                return StInvalidArgument;
            const int first = off / 4, last = first + int(length / 4);
            if (otpDeniedCount > 0 && first < otpDeniedFirst + otpDeniedCount && otpDeniedFirst < last)
                return StReadDisallowed;
        }
        rdMem = id;
        rdOffset = off;
        rdRemaining = int(length);
        rdIndex = 0;
        return StSuccess;
    }

    uint32_t erase(const QList<uint32_t>& params)
    {
        const bool all = params.value(0) == 1;
        const uint32_t id = params.value(1);
        const MemoryRegion* r = region(id);
        if (!r)
            return StInvalidMemoryId;
        if (r->kind != MemoryRegion::Flash)
            return StUnsupportedMemoryCommand;
        if (flashReady(r) != StSuccess)
            return StWriteBeforeConfig;
        QByteArray& m = mem[id];
        if (all) {
            m.fill(char(0xFF));
            return StSuccess;
        }
        int off = 0;
        const uint32_t st = resolve(id, params.value(2), params.value(3), &off);
        if (st != StSuccess)
            return st;
        std::memset(m.data() + off, 0xFF, params.value(3));
        return StSuccess;
    }

    void finishImage(QList<Output>& out)
    {
        phase = Idle;
        uint32_t status = phaseForced ? phaseForcedStatus : uint32_t(StSuccess);
        if (status == StSuccess) {
            loadedImage = buffer;
            if (!versionAfterLoad.isEmpty())
                romVersion = versionWord(versionAfterLoad);
            if (imageHook) {
                auto hook = imageHook;
                const QByteArray image = buffer;
                deferred.append([hook, image] { hook(image); });
            }
        }
        buffer.clear();
        respond(out, TagLoadImage, status);
    }

    void imageChunk(QList<Output>& out, const QByteArray& data)
    {
        buffer += data;
        const bool done = expectedImage > 0 ? uint32_t(buffer.size()) >= expectedImage : data.size() < DataChunk;
        if (done)
            finishImage(out);
    }

    void writeChunk(QList<Output>& out, const QByteArray& data)
    {
        buffer += data;
        if (uint32_t(buffer.size()) < wrLen)
            return;
        phase = Idle;
        uint32_t status = phaseForcedStatus;
        if (!phaseForced)
            status = write(wrMem, wrAddr, buffer.left(int(wrLen)));
        buffer.clear();
        respond(out, TagWriteMemory, status);
    }

    void startCommand(QList<Output>& out, const QByteArray& p)
    {
        const uint8_t tag = uint8_t(p[0]);
        const int count = uint8_t(p[1]);
        QList<uint32_t> params;
        for (int i = 0; i < count && 4 + 4 * i + 4 <= p.size(); ++i)
            params.append(getU32(p, 4 + 4 * i));
        const QByteArray data = p.mid(4 + 4 * count);
        uint32_t forcedStatus = 0;
        const bool isForced = takeForced(tag, &forcedStatus);

        switch (tag) {
        case TagWriteMemory:
            phase = WriteData;
            packetIndex = 0;
            wrAddr = params.value(0);
            wrLen = params.value(1);
            wrMem = params.value(2);
            buffer.clear();
            phaseForced = isForced;
            phaseForcedStatus = forcedStatus;
            if (params.size() < 3) {
                phase = Idle;
                respond(out, tag, StInvalidArgument);
                return;
            }
            writeChunk(out, data);
            return;
        case TagLoadImage:
            phase = ImageData;
            packetIndex = 0;
            buffer.clear();
            phaseForced = isForced;
            phaseForcedStatus = forcedStatus;
            imageChunk(out, data);
            return;
        default: break;
        }

        if (isForced) {
            respond(out, tag, forcedStatus);
            return;
        }
        uint32_t status = StSuccess;
        QList<uint32_t> words;
        switch (tag) {
        case TagQueryRte: words = rteRecord(params.value(0), params.value(1), &status); break;
        case TagConfigRte: status = configRte(params); break;
        case TagConfigMemory:
            status = params.size() < 2 ? uint32_t(StInvalidArgument) : configMemory(params[0], params[1]);
            break;
        case TagReadMemory:
            status = params.size() < 3 ? uint32_t(StInvalidArgument) : startRead(params[2], params[0], params[1]);
            break;
        case TagErase: status = erase(params); break;
        case TagReset: {
            ++resets;
            configured.clear();
            speed = 115200;
            romVersion = baseRomVersion;
            if (resetHook) {
                auto hook = resetHook;
                const uint32_t type = params.value(0);
                deferred.append([hook, type] { hook(type); });
            }
            break;
        }
        default: status = StCommandNotSupported; break;
        }
        respond(out, tag, status, words);
    }
};

Engine::Engine()
    : d(new Private)
{ }
Engine::~Engine() = default;

namespace {
// Runs the hooks queued under the lock once it has been released.
void runDeferred(QList<std::function<void()>> hooks)
{
    for (auto& h : hooks)
        h();
}
} // namespace

#define LOCK std::lock_guard<std::mutex> lock(d->mutex)

void Engine::setRomVersion(const QString& text)
{
    LOCK;
    d->romVersion = d->baseRomVersion = versionWord(text);
}
void Engine::setSocRevision(const QString& text)
{
    LOCK;
    d->socRevision = versionWord(text);
}
void Engine::setLifecycle(uint8_t lifecycle)
{
    LOCK;
    d->lifecycle = lifecycle;
}
void Engine::setCapabilities(uint32_t mask)
{
    LOCK;
    d->capabilities = mask;
}
void Engine::setBootStatus(uint32_t mode, uint32_t device, uint32_t status)
{
    LOCK;
    d->bootMode = mode;
    d->bootDevice = device;
    d->bootStatus = status;
}
void Engine::setPeripheral(uint32_t mask)
{
    LOCK;
    d->peripheral = mask;
}
void Engine::setUartSpeed(uint32_t baud)
{
    LOCK;
    d->speed = baud;
}
void Engine::setCommandStatus(uint8_t tag, uint32_t status, int times)
{
    LOCK;
    if (times == 0)
        d->forced.remove(tag);
    else
        d->forced[tag] = Forced { status, times };
}
void Engine::clearCommandStatus(uint8_t tag)
{
    LOCK;
    d->forced.remove(tag);
}
void Engine::addFault(const Fault& fault)
{
    LOCK;
    d->faults.append(fault);
}
void Engine::clearFaults()
{
    LOCK;
    d->faults.clear();
}
void Engine::setExpectedImageLength(uint32_t bytes)
{
    LOCK;
    d->expectedImage = bytes;
}
void Engine::setReadChunkSize(int bytes)
{
    LOCK;
    d->readChunk = bytes;
}
void Engine::setRequireFlashConfig(bool on)
{
    LOCK;
    d->requireFlashConfig = on;
}
void Engine::setVersionAfterImageLoad(const QString& text)
{
    LOCK;
    d->versionAfterLoad = text;
}
void Engine::setOtpReadDisallowed(int firstWord, int count)
{
    LOCK;
    d->otpDeniedFirst = firstWord;
    d->otpDeniedCount = count;
}
void Engine::setImageLoadedHook(std::function<void(const QByteArray&)> hook)
{
    LOCK;
    d->imageHook = std::move(hook);
}
void Engine::setResetHook(std::function<void(uint32_t)> hook)
{
    LOCK;
    d->resetHook = std::move(hook);
}

QList<MemoryRegion> Engine::regions() const
{
    LOCK;
    return d->regions;
}
QByteArray Engine::memory(uint32_t memoryId) const
{
    LOCK;
    const auto it = d->mem.constFind(memoryId);
    if (it == d->mem.constEnd())
        return {};
    return QByteArray(it->constData(), it->size()); // deep copy, see transcript()
}
QByteArray Engine::readBytes(uint32_t memoryId, uint32_t address, int length) const
{
    LOCK;
    int off = 0;
    if (length < 0 || d->resolve(memoryId, address, uint32_t(length), &off) != StSuccess)
        return {};
    return QByteArray(d->mem[memoryId].constData() + off, length);
}
void Engine::poke(uint32_t memoryId, uint32_t address, const QByteArray& bytes)
{
    LOCK;
    int off = 0;
    if (d->resolve(memoryId, address, uint32_t(bytes.size()), &off) == StSuccess)
        std::memcpy(d->mem[memoryId].data() + off, bytes.constData(), size_t(bytes.size()));
}
uint32_t Engine::otpWord(int index) const
{
    LOCK;
    return getU32(d->mem.value(MemOtp), index * 4);
}
void Engine::setOtpWord(int index, uint32_t value)
{
    LOCK;
    if (index < 0 || index >= OtpWords)
        return;
    QByteArray b;
    putU32(b, value);
    std::memcpy(d->mem[MemOtp].data() + index * 4, b.constData(), 4);
}
bool Engine::isConfigured(uint32_t memoryId) const
{
    LOCK;
    return d->configured.contains(memoryId);
}
QList<uint32_t> Engine::flashConfigWords() const
{
    LOCK;
    return d->flashConfig;
}
QList<TranscriptEntry> Engine::transcript() const
{
    LOCK;
    // A fresh list: handing out the shared one would let the caller's release race
    // with the server thread growing it in place.
    QList<TranscriptEntry> out;
    out.reserve(d->transcript.size());
    for (const TranscriptEntry& e : d->transcript)
        out.append(e);
    return out;
}
QList<QByteArray> Engine::receivedPackets() const
{
    LOCK;
    QList<QByteArray> out;
    for (const TranscriptEntry& e : d->transcript)
        if (e.direction == TranscriptEntry::ToDevice && e.kind == TranscriptEntry::Frame)
            out.append(e.bytes);
    return out;
}
QList<uint8_t> Engine::toolAcks() const
{
    LOCK;
    QList<uint8_t> out;
    for (const TranscriptEntry& e : d->transcript)
        if (e.direction == TranscriptEntry::ToDevice && e.kind == TranscriptEntry::Ack)
            out.append(e.code);
    return out;
}
QList<uint8_t> Engine::deviceAcks() const
{
    LOCK;
    QList<uint8_t> out;
    for (const TranscriptEntry& e : d->transcript)
        if (e.direction == TranscriptEntry::FromDevice && e.kind == TranscriptEntry::Ack)
            out.append(e.code);
    return out;
}
QByteArray Engine::loadedImage() const
{
    LOCK;
    return QByteArray(d->loadedImage.constData(), d->loadedImage.size());
}
uint32_t Engine::uartSpeed() const
{
    LOCK;
    return d->speed;
}
int Engine::resetCount() const
{
    LOCK;
    return d->resets;
}
QString Engine::romVersion() const
{
    LOCK;
    return versionText(d->romVersion);
}
void Engine::clearTranscript()
{
    LOCK;
    d->transcript.clear();
}
bool Engine::waitForPackets(int n, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(d->mutex);
    return d->framesArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return d->goodFrames >= n; });
}

void Engine::runPendingHooks()
{
    QList<std::function<void()>> hooks;
    {
        LOCK;
        hooks.swap(d->deferred);
    }
    runDeferred(hooks);
}

QList<Output> Engine::onFrame(const QByteArray& payload)
{
    QList<Output> out;
    {
        LOCK;
        d->record(TranscriptEntry::ToDevice, TranscriptEntry::Frame, payload);
        ++d->goodFrames;
        d->framesArrived.notify_all();
        d->rdRemaining = 0; // a new frame ends any read data still owed
        if (payload.size() < 4) {
            d->ack(out, 0xA2);
            return out;
        }
        const uint8_t tag = uint8_t(payload[0]);
        const bool isData = uint8_t(payload[1]) == 0 && (uint8_t(payload[2]) & 0x01);
        const bool cont = (d->phase == Private::WriteData && tag == TagWriteMemory && isData)
            || (d->phase == Private::ImageData && tag == TagLoadImage);
        if (!cont)
            d->phase = Private::Idle; // anything else abandons an unfinished data phase
        const int index = cont ? ++d->packetIndex : 0;

        Fault f;
        if (d->takeFault(tag, FaultPoint::Ack, index, &f)) {
            switch (f.kind) {
            case FaultKind::Nak: d->ack(out, 0xA2); return out;
            case FaultKind::AckCode:
                d->ack(out, uint8_t(f.value));
                d->phase = Private::Idle;
                return out;
            case FaultKind::ShortAck:
                d->ack(out, 0, FaultKind::ShortAck);
                d->phase = Private::Idle;
                return out;
            case FaultKind::Silence: d->phase = Private::Idle; return out;
            case FaultKind::Abort:
                d->ack(out, 0xA3);
                d->phase = Private::Idle;
                d->buffer.clear();
                d->respond(out, tag, f.romStatus);
                return out;
            case FaultKind::Garbage: d->raw(out, f.bytes); break;
            default: break;
            }
        }
        d->ack(out, 0xA1);
        if (!cont)
            d->startCommand(out, payload);
        else if (d->phase == Private::WriteData)
            d->writeChunk(out, payload.mid(4));
        else
            d->imageChunk(out, payload.mid(4));
    }
    return out;
}

QList<Output> Engine::onCorruptFrame(const QByteArray& raw)
{
    LOCK;
    d->record(TranscriptEntry::ToDevice, TranscriptEntry::BadFrame, raw);
    QList<Output> out;
    d->ack(out, 0xA2);
    return out;
}

QList<Output> Engine::onToolAck(uint8_t code)
{
    LOCK;
    d->record(TranscriptEntry::ToDevice, TranscriptEntry::Ack, {}, code);
    QList<Output> out;
    if (code == 0xA1)
        d->sendNextReadPacket(out);
    else
        d->rdRemaining = 0; // the tool gave up on this transfer
    return out;
}

void Engine::onGarbage(const QByteArray& bytes)
{
    LOCK;
    d->record(TranscriptEntry::ToDevice, TranscriptEntry::Raw, bytes);
}

#undef LOCK

} // namespace RomSim
