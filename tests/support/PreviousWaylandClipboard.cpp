#include "support/PreviousWaylandClipboard.h"

#include <QFile>

using namespace std::chrono_literals;

PreviousWaylandClipboard::PreviousWaylandClipboard(const QProcessEnvironment& environment,
                                                   const Pasteboard::Contents& contents)
    : environment_(environment), contents_(contents) {
    QStringList arguments;
    for (int i = 0; i < contents_.size(); ++i) {
        QFile file(dir_.filePath(QString::number(i)));
        file.open(QIODevice::WriteOnly);
        file.write(contents_[i].second);
        arguments << contents_[i].first + QLatin1Char('=') + file.fileName();
    }
    owner_ = std::make_unique<ChildProcess>(
        QStringLiteral(QUILLO_BINARY_DIR "/tests/wayland_clipboard_owner_child"), arguments,
        ChildOptions{.environment = environment_});
    owning_ = owner_->waitForLine(QStringLiteral("owning"), 5s);
}

PreviousWaylandClipboard::~PreviousWaylandClipboard() = default;

Pasteboard::Contents PreviousWaylandClipboard::formats() {
    return {{QStringLiteral("text/plain;charset=utf-8"), QByteArrayLiteral("before the dictation")},
            {QStringLiteral("text/html"), QByteArrayLiteral("<i>before</i>")},
            {QStringLiteral("application/x-quillo-test"), QByteArray("\x00\x01\x02 binary", 10)}};
}

bool PreviousWaylandClipboard::isBack() const {
    QStringList expected;
    for (const auto& format : contents_)
        expected << format.first;
    if (QString::fromUtf8(wlPaste({QStringLiteral("--list-types")}))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts) != expected)
        return false;
    for (const auto& [type, bytes] : contents_) {
        if (wlPaste({QStringLiteral("--no-newline"), QStringLiteral("--type"), type}) != bytes)
            return false;
    }
    return true;
}

QByteArray PreviousWaylandClipboard::wlPaste(const QStringList& arguments) const {
    return ChildProcess::run(QStringLiteral("wl-paste"), arguments, environment_).out;
}
