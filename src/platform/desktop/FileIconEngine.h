#pragma once

#include <QIconEngine>
#include <QMap>
#include <QString>

namespace gaugelet {

// An icon drawn from one image file a size, each read only when a picture of
// the icon is asked for and not kept: the program's icon is set once for
// every window and stays for the program's life, while only a window's
// creation (its title bar and task bar pictures) reads it. Every mode and
// state shows the same picture.
class FileIconEngine : public QIconEngine {
public:
    // `files`: the file of each square size, by its side in pixels.
    explicit FileIconEngine(QMap<int, QString> files);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;
    bool isNull() override;

private:
    // The side of the smallest size at least `side` pixels, else the largest.
    int sideFor(int side) const;

    QMap<int, QString> m_files;
};

} // namespace gaugelet
