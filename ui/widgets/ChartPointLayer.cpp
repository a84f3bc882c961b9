#include "ui/widgets/ChartPointLayer.h"

#include <QPolygonF>

namespace tessaloc::ui {

int symbolPixels(int size)
{
    return 2 * size + 1;
}

void drawSymbol(QPainter& painter, SymbolShape shape, const QPointF& centre, double side)
{
    const QRectF box(centre.x() - side / 2, centre.y() - side / 2, side, side);
    switch (shape) {
    case SymbolShape::Square:
        painter.drawRect(box);
        break;
    case SymbolShape::Circle:
        painter.drawEllipse(box);
        break;
    case SymbolShape::Triangle:
        painter.drawPolygon(QPolygonF{QPointF(box.center().x(), box.top()), box.bottomRight(), box.bottomLeft()});
        break;
    case SymbolShape::Cross:
        painter.drawLine(box.topLeft(), box.bottomRight());
        painter.drawLine(box.bottomLeft(), box.topRight());
        break;
    }
}

QPointF valuePosition(const QRectF& area, const QValueAxis& x, const QValueAxis& y, const QPointF& p)
{
    return QPointF(area.left() + (p.x() - x.min()) * area.width() / (x.max() - x.min()),
                   area.bottom() - (p.y() - y.min()) * area.height() / (y.max() - y.min()));
}

} // namespace tessaloc::ui
