#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// A whisper.cpp model file, opened once: checked here, then read by whisper.cpp from the same
// open file, so the file that was checked is the one that is loaded. whisper.cpp trusts every
// number in the file and aborts the process when one is absurd (a failed allocation, a shape
// assertion), so every one is bounded here first. Opening never blocks: a FIFO or a device at
// the path is refused, not waited on. Only headers are read, so the check is quick even for
// large files.
class WhisperModelFile {
public:
    // The hyperparameters at the start of the file, in file order.
    struct Header {
        qint32 nVocab = 0;
        qint32 nAudioCtx = 0;
        qint32 nAudioState = 0;
        qint32 nAudioHead = 0;
        qint32 nAudioLayer = 0;
        qint32 nTextCtx = 0;
        qint32 nTextState = 0;
        qint32 nTextHead = 0;
        qint32 nTextLayer = 0;
        qint32 nMels = 0;
        qint32 ftype = 0;
    };

    explicit WhisperModelFile(const QString& path);
    ~WhisperModelFile();
    WhisperModelFile(const WhisperModelFile&) = delete;
    WhisperModelFile& operator=(const WhisperModelFile&) = delete;

    // False when nothing is at the path.
    bool exists() const { return exists_; }
    // Why whisper.cpp cannot load the file safely; empty when it can.
    QString problem() const { return problem_; }
    // The open file, for reading with pread(); -1 when it could not be opened.
    int descriptor() const { return fd_; }

    // Why whisper.cpp cannot run a model of this shape; empty when it can. The bounds hold every
    // published whisper model (tiny to large-v3 and turbo) with room to spare.
    static QString checkHeader(const Header& header);
    // The bytes of weights whisper.cpp reads for a model of this shape; none when checkHeader
    // refuses the header or the sum does not fit in 64 bits.
    static std::optional<qint64> weightBytes(const Header& header);

private:
    QString check();

    int fd_ = -1;
    bool exists_ = true;
    QString problem_;
};
