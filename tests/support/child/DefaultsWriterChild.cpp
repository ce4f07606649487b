// Writes to a preferences store in a loop until killed, so a test can kill it mid-write.
#include "platform/desktop/SqliteDefaultsStore.h"

#include <QByteArray>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: defaults_writer_child STORE_PATH\n", stderr);
        return 2;
    }
    SqliteDefaultsStore store(QString::fromLocal8Bit(argv[1]));
    const QByteArray payload(64 * 1024, 'x');
    for (qint64 i = 0;; ++i) {
        store.setInteger(QStringLiteral("counter"), i);
        store.setData(QStringLiteral("blob"), payload + QByteArray::number(i));
        store.setString(QStringLiteral("text_%1").arg(i % 100), QString::number(i));
        if (i == 0) {
            std::puts("writing");
            std::fflush(stdout);
        }
    }
}
