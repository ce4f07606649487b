#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// The system clipboard as the paste sequence sees it: the current contents as bytes per type,
// and writes that replace them.
class Pasteboard {
public:
    using Format = QPair<QString, QByteArray>;  // type name, bytes
    using Contents = QList<Format>;

    virtual ~Pasteboard() = default;

    // Every real format of the current contents with its bytes, copied at once. Absent when the
    // clipboard cannot be read at all; empty when it holds nothing usable.
    virtual std::optional<Contents> contents() const = 0;
    // The current contents as plain text; empty when they hold none.
    virtual QString text() const = 0;
    virtual void clear() = 0;
    // Plain text, marked so that clipboard managers keep it out of their history.
    virtual void writeText(const QString& text) = 0;
    // All formats together, as one set of contents.
    virtual void writeContents(const Contents& contents) = 0;
};
