// Deliberate races that the thread-sanitizer build must still report: a race in
// a slot, in a lambda slot and on a QString member. Proves that tsan.supp hides
// nothing of the project's own code. Run with one of: slot, lambda, qstring.
#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <cstring>
#include <thread>

class Canary : public QObject
{
    Q_OBJECT
public:
    int count = 0;
    QString text;

signals:
    void signalPoke();

public slots:
    void slotBump() { ++count; }
    void slotRename() { text = QStringLiteral("worker"); }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const char* which = argc > 1 ? argv[1] : "slot";
    Canary c;
    if (std::strcmp(which, "lambda") == 0)
        QObject::connect(&c, &Canary::signalPoke, &c, [&c] { c.count += 2; }, Qt::DirectConnection);
    else if (std::strcmp(which, "qstring") == 0)
        QObject::connect(&c, &Canary::signalPoke, &c, &Canary::slotRename, Qt::DirectConnection);
    else
        QObject::connect(&c, &Canary::signalPoke, &c, &Canary::slotBump, Qt::DirectConnection);

    // The worker fires the slot while this thread touches the same member, with
    // nothing ordering the two: a race whatever the timing.
    std::thread worker([&c] { emit c.signalPoke(); });
    if (std::strcmp(which, "qstring") == 0)
        c.text = QStringLiteral("main");
    else
        ++c.count;
    worker.join();
    return 0;
}

#include "tsan_canary.moc"
