#include "artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tcn {

QPixmap BannerPixmap() {
    QPixmap pixmap(700, 50);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 700, 50);
    sky.setColorAt(0, QColor(12, 30, 66));
    sky.setColorAt(0.6, QColor(28, 74, 132));
    sky.setColorAt(1, QColor(60, 130, 190));
    p.fillRect(pixmap.rect(), sky);

    // A few stars and an orbit arc behind the dish.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    for (const QPointF star : {QPointF(120, 9), QPointF(300, 38), QPointF(410, 12), QPointF(520, 30),
                               QPointF(610, 8), QPointF(660, 40), QPointF(240, 14)})
        p.drawEllipse(star, 1.2, 1.2);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-60, 8, 820, 120), 20 * 16, 140 * 16);

    // The dish: a bowl on a stand, aimed up and to the right, with its feed arm.
    p.setPen(QPen(QColor(235, 240, 250), 2.5));
    QPainterPath bowl;
    bowl.moveTo(16, 16);
    bowl.quadTo(20, 44, 48, 40);
    bowl.closeSubpath();
    p.setBrush(QColor(200, 215, 235));
    p.drawPath(bowl);
    p.drawLine(QPointF(32, 28), QPointF(46, 16));
    p.drawLine(QPointF(30, 40), QPointF(26, 48));
    p.drawLine(QPointF(20, 48), QPointF(36, 48));

    p.setPen(QColor(255, 255, 255));
    QFont title(QStringLiteral("DejaVu Sans"), 17, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(64, 2, 300, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("tcnedit"));
    QFont subtitle(QStringLiteral("DejaVu Sans"), 9);
    p.setFont(subtitle);
    p.setPen(QColor(210, 225, 245));
    p.drawText(QRect(66, 28, 400, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("satellites \u00b7 transponders \u00b7 channels \u00b7 favourites"));
    return pixmap;
}

QPixmap CheckMarkPixmap() {
    QPixmap pixmap(20, 19);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(24, 140, 48), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(4, 10), QPointF(8, 14.5), QPointF(16, 4.5)}));
    return pixmap;
}

} // namespace tcn
