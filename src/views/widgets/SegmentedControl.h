#pragma once

#include <QList>
#include <QPair>
#include <QWidget>

// A row of equally wide segments of which one is selected; each stands for a value.
class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    using Segment = QPair<QString, QString>;  // value, shown text

    explicit SegmentedControl(QList<Segment> segments, QWidget* parent = nullptr);

    QString value() const;
    void setValue(const QString& value);  // a value without a segment selects none
    QRect segmentRect(int index) const;
    int count() const { return int(segments_.size()); }

    QSize sizeHint() const override;

signals:
    // The user chose a segment other than the selected one.
    void valueChosen(const QString& value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QList<Segment> segments_;
    int selected_ = -1;
};
