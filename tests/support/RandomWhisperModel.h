#pragma once

#include <QDir>
#include <QProcess>
#include <QString>

// Whisper models with random weights, written by the build's whisper-random-model tool: "mini"
// for fast tests, "tiny" and "base" in the real models' exact shapes. Only for test executables
// (QUILLO_BINARY_DIR is theirs).
namespace RandomWhisperModel {

inline QString generate(const QString& directory, const QString& shape, bool multilingual = false) {
    const QString path =
        QDir(directory).filePath(QStringLiteral("ggml-random-%1%2.bin")
                                     .arg(shape, multilingual ? QString() : QStringLiteral(".en")));
    QStringList arguments{QStringLiteral("--shape"), shape};
    if (multilingual) {
        arguments << QStringLiteral("--multilingual");
    }
    arguments << path;
    QProcess tool;
    tool.start(QStringLiteral(QUILLO_BINARY_DIR "/generators/whisper-random-model"), arguments);
    if (!tool.waitForFinished(120000) || tool.exitCode() != 0) {
        return {};
    }
    return path;
}

}  // namespace RandomWhisperModel
