#pragma once

#include <QDir>
#include <QString>

// Where tests leave screenshots for review: $QUILLO_ARTIFACT_DIR, else build/test-artifacts.
inline QString testArtifactPath(const QString& fileName) {
    const QString dir = qEnvironmentVariableIsSet("QUILLO_ARTIFACT_DIR")
                            ? qEnvironmentVariable("QUILLO_ARTIFACT_DIR")
                            : QStringLiteral(QUILLO_SOURCE_DIR "/build/test-artifacts");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + fileName;
}
