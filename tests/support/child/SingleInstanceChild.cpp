// Starts the way Quillo's main() does as far as the one-instance decision goes: claims, listens,
// then spends STARTUP_MS building itself before its event loop runs. Prints what happened:
// "handed-over", "no-answer", "primary listening" or "primary not-listening", then one
// "activated" per hand-over it receives, until LIFETIME_MS have passed.
#include "app/SingleInstance.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {
void say(const char* line) {
    std::puts(line);
    std::fflush(stdout);
}
}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fputs("usage: single_instance_child SOCKET_PATH STARTUP_MS LIFETIME_MS\n", stderr);
        return 2;
    }
    SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    switch (instance.claim()) {
        case SingleInstance::Claim::primary:
            break;
        case SingleInstance::Claim::handedOver:
            say("handed-over");
            return 0;
        case SingleInstance::Claim::noAnswer:
            say("no-answer");
            return 3;
    }
    say(instance.listen() ? "primary listening" : "primary not-listening");
    QThread::msleep(std::strtoul(argv[2], nullptr, 10));
    QObject::connect(&instance, &SingleInstance::activationRequested, [] { say("activated"); });
    QTimer::singleShot(std::atoi(argv[3]), &app, &QCoreApplication::quit);
    return QCoreApplication::exec();
}
