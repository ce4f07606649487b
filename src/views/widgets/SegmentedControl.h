#pragma once

#include <QList>
#include <QPair>
#include <QWidget>

// A row of equally wide segments of which one is selected; each stands for a value. It takes
// the keyboard focus: the arrow keys (and Home, End) choose the neighbouring segment, and
// Space or Enter chooses the first when none is selected. Screen readers see a list of page
// tabs (SegmentedControlAccessible).
class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    using Segment = QPair<QString, QString>;  // value, shown text

    explicit SegmentedControl(QList<Segment> segments, QWidget* parent = nullptr);

    QString value() const;
    void setValue(const QString& value);  // a value without a segment selects none
    QRect segmentRect(int index) const;
    int count() const { return int(segments_.size()); }
    int selectedIndex() const { return selected_; }
    QString segmentText(int index) const { return segments_.value(index).second; }
    // Selects the segment as a click on it does (reporting a change of choice).
    void choose(int index);

    QSize sizeHint() const override;

signals:
    // The user chose a segment other than the selected one.
    void valueChosen(const QString& value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void select(int index);

    QList<Segment> segments_;
    int selected_ = -1;
};
