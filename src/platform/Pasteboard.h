#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <functional>
#include <optional>

// The system clipboard as the paste sequence sees it. Every operation resumes or calls back on
// the main thread and none of them blocks it: another program owns the data being saved and
// may be slow, huge or dead.
class Pasteboard {
public:
    using Format = QPair<QString, QByteArray>;  // type name as the owner offers it, bytes
    using Contents = QList<Format>;

    enum class Selection {
        Clipboard,
        // The text-selection buffer that middle click, and Shift+Insert in terminals, paste.
        Primary,
    };

    // What one save may cost at most: the owner's answers all in all, and their total size.
    struct Budget {
        std::chrono::milliseconds time;
        qint64 bytes;
    };

    struct GivenUp {
        enum class Reason { TooLarge, TooSlow };
        QString format;  // empty: the owner did not even say what it offers
        Reason reason;
    };

    struct Saved {
        // Absent when nothing could be read at all; empty when the selection holds nothing.
        std::optional<Contents> contents;
        // The formats left out because they did not fit the budget.
        QList<GivenUp> givenUp;
    };

    virtual ~Pasteboard() = default;

    // Copies the formats the owner itself offers, bytes unconverted, in the owner's order, each
    // whole or not at all, until the budget is spent.
    virtual QCoro::Task<Saved> save(Selection selection, Budget budget) = 0;

    // Makes `text` the selection's contents (plain text, marked so that clipboard managers keep
    // it out of their history). `fetched` is called each time a program has received the text,
    // always later from the event loop, never from within this call. False when the selection
    // could not be taken.
    virtual bool offerText(Selection selection, const QString& text,
                           std::function<void()> fetched) = 0;

    // True while the text of the last offerText() still is the selection's contents, i.e.
    // nobody has copied anything since.
    virtual bool stillOffers(Selection selection) const = 0;

    // Makes saved contents the selection's contents again, every format as it was saved.
    virtual void restore(Selection selection, const Contents& contents) = 0;
};
