#pragma once

#include <QString>

#include <qcoro/qcorotask.h>

// What the pipeline needs of the paste component: returns when the paste and the clipboard
// restore are done; never fails.
class TextPaster {
public:
    virtual ~TextPaster() = default;
    virtual QCoro::Task<void> pasteText(QString text) = 0;
};
