#include "frame/ui/identity_texts.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QVBoxLayout>

#include "wiring/startup.h"
#include "model/app_state.h"
#include "platform/qt/qt_text.h"
#include "ui/control_kit.h"
#include "version_info.h"

namespace k45 {

IdentityTexts MakeIdentityTexts(const ModeFlags& modes) {
    IdentityTexts t;
    t.title = version::fileDescription;
    t.revision = RevisionText(version::major, version::minor, version::revision);
    t.partNumber = modes.partNumberText;
    t.copyright = version::copyright;
    t.productName = version::programTitle;
    return t;
}

QPixmap ProgramPicture(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    // Modem body.
    QRectF body(s * 0.08, s * 0.42, s * 0.84, s * 0.46);
    p.setPen(QPen(QColor(20, 40, 90), s * 0.03));
    p.setBrush(QColor(40, 90, 170));
    p.drawRoundedRect(body, s * 0.06, s * 0.06);
    // Antenna and its waves.
    p.setPen(QPen(QColor(20, 40, 90), s * 0.04, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.75, s * 0.42), QPointF(s * 0.75, s * 0.12));
    p.setPen(QPen(QColor(230, 120, 30), s * 0.03, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 2; ++i) {
        const qreal r = s * 0.07 * i;
        QRectF arc(s * 0.75 - r, s * 0.12 - r, 2 * r, 2 * r);
        p.drawArc(arc, -50 * 16, 100 * 16);
        p.drawArc(arc, 130 * 16, 100 * 16);
    }
    // Front panel text and lamps.
    p.setPen(Qt::white);
    QFont f;
    f.setBold(true);
    f.setPixelSize(qMax(6, static_cast<int>(s * 0.2)));
    p.setFont(f);
    p.drawText(QRectF(body.left() + s * 0.06, body.top(), body.width() * 0.6, body.height()),
               Qt::AlignVCenter | Qt::AlignLeft, "K45");
    p.setPen(Qt::NoPen);
    const QColor lamps[] = {QColor(80, 220, 90), QColor(250, 200, 40), QColor(240, 70, 60)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lamps[i]);
        p.drawEllipse(QPointF(body.right() - s * 0.1 - i * s * 0.1, body.bottom() - s * 0.1), s * 0.03, s * 0.03);
    }
    return pm;
}

IdentityBlock BuildIdentityBlock(QWidget* box, QVBoxLayout* outer, const char* frameName, const char* imageName,
                                 const IdentityLook& look, const IdentityTexts& texts) {
    IdentityBlock b;
    b.frame = new QFrame(box);
    b.frame->setObjectName(frameName);
    b.frame->setFrameShape(QFrame::Box);
    b.frame->setFrameShadow(QFrame::Sunken);
    outer->addWidget(b.frame);

    auto* row = new QHBoxLayout(b.frame);
    row->setContentsMargins(look.margin, look.margin, look.margin, look.margin);
    row->setSpacing(look.margin);
    b.image = kit::Label(b.frame, imageName);
    b.image->setPixmap(ProgramPicture(look.pictureSize));
    b.image->setAlignment(Qt::AlignTop);
    row->addWidget(b.image);

    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    row->addLayout(column, 1);
    auto makeLabel = [&](const char* name, const std::string& text) {
        QLabel* l = kit::Label(b.frame, name, QText(text));
        column->addWidget(l);
        return l;
    };
    b.labelTitle = makeLabel("labelTitle", texts.title);
    QFont big = b.labelTitle->font();
    big.setPointSizeF(big.pointSizeF() * look.titleScale);
    big.setBold(true);
    b.labelTitle->setFont(big);
    b.labelRevision = makeLabel("labelRevision", texts.revision);
    b.labelPartNumber = makeLabel("labelPartNumber", texts.partNumber);
    if (look.gap > 0) column->addSpacing(look.gap);
    else column->addStretch(1);
    b.labelCopyright = makeLabel("labelCopyright", texts.copyright);
    b.labelCompanyName = makeLabel("labelCompanyName", texts.companyName);
    return b;
}

}  // namespace k45
