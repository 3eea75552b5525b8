// The Krel OTP ".info" reader, through the file path as the tool reads it
// (deciphered JSON): a refused file leaves no words and says why; the words
// read are written back by toJsonArray and read again unchanged.
#include "fuzzsupport.h"
#include "krelcipher.h"
#include "krelotpinfo.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

FUZZ_INIT

static bool readInfo(const QByteArray& json, QMap<quint32, quint32>& words, KrelLogLines& logs)
{
    words.insert(1, 1); // a failure must leave the map empty
    return KrelOtpInfo::parse(json, words, logs);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // First byte: 0 reads the bytes as the deciphered text, else as a file on disk.
    if (size == 0)
        return 0;
    const QByteArray input = Fuzz::bytes(data + 1, size - 1);
    QMap<quint32, quint32> words;
    KrelLogLines logs;
    bool ok;
    if (data[0] == 0) {
        ok = readInfo(input, words, logs);
    } else {
        static QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("otp.info"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(data[0] == 1 ? KrelCipher::encipher(input) : input);
        f.close();
        words.insert(1, 1);
        ok = KrelOtpInfo::load(path, words, logs);
    }
    if (!ok) {
        FUZZ_CHECK(words.isEmpty(), QString());
        FUZZ_CHECK(!logs.isEmpty(), QString());
        return 0;
    }
    QJsonObject o;
    o.insert(QStringLiteral("info"), KrelOtpInfo::toJsonArray(words));
    QMap<quint32, quint32> again;
    KrelLogLines logs2;
    FUZZ_CHECK(KrelOtpInfo::parse(QJsonDocument(o).toJson(QJsonDocument::Compact), again, logs2), QString());
    FUZZ_CHECK(again == words, QString());
    return 0;
}
