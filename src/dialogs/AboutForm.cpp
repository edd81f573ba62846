#include "dialogs/AboutForm.h"

#include "app/MainForm.h"
#include "platform/Application.h"
#include "platform/Launcher.h"
#include "platform/Modal.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Panel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>

namespace qm {

const QString TAboutForm::PageAddress = QStringLiteral("https://quellmire.org");
const QString TAboutForm::MailAddress = QStringLiteral("mailto:author@quellmire.org");

namespace {

QPixmap PaintShield(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath shield;
    shield.moveTo(s * 0.5, s * 0.04);
    shield.lineTo(s * 0.92, s * 0.18);
    shield.cubicTo(s * 0.92, s * 0.6, s * 0.75, s * 0.82, s * 0.5, s * 0.96);
    shield.cubicTo(s * 0.25, s * 0.82, s * 0.08, s * 0.6, s * 0.08, s * 0.18);
    shield.closeSubpath();
    p.setPen(QPen(QColor(0x5a, 0x3a, 0x3a), s * 0.04));
    p.setBrush(QColor(0xFF, 0xA9, 0x53));
    p.drawPath(shield);
    // A smiling face on the shield.
    p.setBrush(QColor(0x5a, 0x3a, 0x3a));
    p.drawEllipse(QPointF(s * 0.37, s * 0.4), s * 0.05, s * 0.05);
    p.drawEllipse(QPointF(s * 0.63, s * 0.4), s * 0.05, s * 0.05);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(s * 0.32, s * 0.45, s * 0.36, s * 0.25), 200 * 16, 140 * 16);
    return pixmap;
}

QPixmap PaintHeart(int size, const QColor& colour) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath heart;
    heart.moveTo(s * 0.5, s * 0.9);
    heart.cubicTo(s * 0.05, s * 0.55, s * 0.05, s * 0.1, s * 0.5, s * 0.3);
    heart.cubicTo(s * 0.95, s * 0.1, s * 0.95, s * 0.55, s * 0.5, s * 0.9);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(colour);
    p.drawPath(heart);
    return pixmap;
}

const char* const AboutHints[20] = {
    "The famous author",   "The great author",    "The big author",     "The magic author",
    "The divine author",   "The supreme author",  "The amazing author", "The beautiful author",
    "The fabulous author", "The funny author",    "The sexy author",    "The magnanimous author",
    "The powerful author", "The generous author", "The best author",    "The formidable author",
    "The brave author",    "The strongly author", "The perfect author", "The modest author"};

} // namespace

TShape::TShape(QWidget* parent, const QString& name, Kind kind) : QWidget(parent), m_kind(kind) {
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TShape::SetBrushColor(TColor color) {
    m_brush = color;
    update();
}

void TShape::SetPenColor(TColor color) {
    m_pen = color;
    update();
}

void TShape::SetPenWidth(int width) {
    m_penWidth = width;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ToQColor(m_pen), m_penWidth));
    const qreal half = m_penWidth / 2.0;
    const QRectF area = QRectF(rect()).adjusted(half, half, -half, -half);
    if (m_kind == Kind::Rectangle) {
        p.setBrush(ToQColor(m_brush));
        p.drawRect(area);
    } else {
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(area);
    }
}

QCursor TAboutForm::MakeKissCursor() {
    return QCursor(PaintHeart(32, QColor(0xE0, 0x20, 0x40)), 16, 28);
}

TAboutForm::TAboutForm(QWidget* owner)
    : TDialogFrame(owner,
                   {QStringLiteral("Panel_Bordo"), QStringLiteral("Panel_Bottom"), QStringLiteral("Panel2")},
                   false) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("AboutBox"));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    Panel_Bordo = OuterPanel();
    Panel2 = InnerPanel();
    Panel_Bottom = BottomPanel();

    // Out of sight, but first in the tab order so that Enter has a default button to press.
    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(-200, -200, 75, 25);

    Panel_Progname = new TPanel(Panel2, QStringLiteral("Panel_Progname"));
    Panel_Progname->SetCaption(QStringLiteral("Quellmire Organizer"));
    QFont bold = Panel_Progname->font();
    bold.setBold(true);
    bold.setPointSize(12);
    Panel_Progname->setFont(bold);
    Panel_Progname->setGeometry(10, 8, 310, 30);
    AddDragHandle(Panel_Progname);

    Shape_Hallo = new TShape(Panel2, QStringLiteral("Shape_Hallo"), TShape::Kind::Rectangle);
    Shape_Hallo->setGeometry(20, 48, 120, 120);
    Shape_Ombra = new TShape(Panel2, QStringLiteral("Shape_Ombra"), TShape::Kind::Ellipse);
    Shape_Ombra->SetPenWidth(7);
    Shape_Ombra->setGeometry(26, 54, 108, 108);

    ImageScudo = new QLabel(Panel2);
    ImageScudo->setObjectName(QStringLiteral("ImageScudo"));
    ImageScudo->setPixmap(PaintShield(80));
    ImageScudo->setGeometry(40, 68, 80, 80);
    ImageScudo->setMouseTracking(true);
    ImageScudo->setCursor(MakeKissCursor());

    SpeedButtonKiss = MakeSpeedButton(Panel2, QStringLiteral("SpeedButtonKiss"), QString(), QString());
    SpeedButtonKiss->setIcon(QIcon(PaintHeart(32, QColor(0xE0, 0x20, 0x40))));
    SpeedButtonKiss->setIconSize(QSize(32, 32));
    SpeedButtonKiss->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SpeedButtonKiss->setGeometry(120, 60, 40, 40);
    SpeedButtonKiss->hide();

    SpeedButton1 = MakeSpeedButton(Panel2, QStringLiteral("SpeedButton1"), QString(), QString());
    SpeedButton1->setIcon(QIcon(PaintHeart(24, QColor(0xFF, 0xA9, 0x53))));
    SpeedButton1->setIconSize(QSize(24, 24));
    SpeedButton1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SpeedButton1->setGeometry(280, 200, 32, 32);

    Label8 = MakeLabel(Panel2, QStringLiteral("Label8"), QStringLiteral("Version 28"));
    QFont versionFont = Label8->font();
    versionFont.setBold(true);
    Label8->setFont(versionFont);
    Label8->setAlignment(Qt::AlignCenter);
    Label8->setGeometry(150, 70, 170, 24);

    Labelpage = MakeLabel(Panel2, QStringLiteral("Labelpage"), QStringLiteral("quellmire.org"),
                          QStringLiteral("Look for updates!"));
    Labelemail = MakeLabel(Panel2, QStringLiteral("Labelemail"), QStringLiteral("author@quellmire.org"),
                           QStringLiteral("Contact me!"));
    int top = 110;
    for (QLabel* link : {Labelpage, Labelemail}) {
        QFont underlined = link->font();
        underlined.setUnderline(true);
        link->setFont(underlined);
        link->setAlignment(Qt::AlignCenter);
        link->setCursor(Qt::PointingHandCursor);
        link->setMouseTracking(true);
        link->setGeometry(150, top, 170, 24);
        SetLinkColor(link, Qt::blue);
        top += 30;
    }
    MakeClickable(Labelpage, [this] { Guarded([this] { LabelpageClick(); }); });
    MakeClickable(Labelemail, [this] { Guarded([this] { LabelemailClick(); }); });

    SpeedButton2 = MakeSpeedButton(Panel_Bottom, QStringLiteral("SpeedButton2"), QStringLiteral("Hi!"),
                                   QStringLiteral("See you later!"));
    SpeedButton2->setMouseTracking(true);
    ButtonLayout()->addWidget(SpeedButton2);

    for (QWidget* panel : {static_cast<QWidget*>(Panel_Bordo), static_cast<QWidget*>(Panel2),
                           static_cast<QWidget*>(Panel_Bottom), static_cast<QWidget*>(Panel_Progname),
                           static_cast<QWidget*>(Label8)})
        panel->setMouseTracking(true);

    connect(BitBtn1, &QPushButton::clicked, this, &TAboutForm::BitBtn1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TAboutForm::SpeedButton2Click);
    // The links and "Hi!" are reached with Tab; a link shows a dotted frame while it has the focus.
    for (QLabel* link : {Labelpage, Labelemail}) {
        link->setFocusPolicy(Qt::StrongFocus);
        link->setStyleSheet(QStringLiteral("QLabel { border: 1px solid transparent; } "
                                           "QLabel:focus { border: 1px dotted palette(window-text); }"));
    }
    SpeedButton2->setFocusPolicy(Qt::TabFocus);
    setTabOrder(BitBtn1, Labelpage);
    setTabOrder(Labelpage, Labelemail);
    setTabOrder(Labelemail, SpeedButton2);
    FitTextsToFont();
    BitBtn1->setFocus();
}

// The design's places, grown where the font needs more room: the right-hand texts widen their
// column, taller lines push the rows down, and the panel grows around them.
void TAboutForm::FitTextsToFont() {
    const auto lineHeight = [](const QWidget* w, int least) {
        return std::max(least, w->fontMetrics().height() + 6);
    };
    int column = 170;
    for (const QLabel* text : {Label8, Labelpage, Labelemail})
        column = std::max(column, text->fontMetrics().horizontalAdvance(text->text()) + 12);
    const int titleHeight = lineHeight(Panel_Progname, 30);
    const int titleWidth = std::max(
        {310, 140 + column,
         Panel_Progname->fontMetrics().horizontalAdvance(QStringLiteral("Quellmire Organizer")) + 16});
    Panel_Progname->setGeometry(10, 8, titleWidth, titleHeight);
    const int shift = titleHeight - 30;
    int top = 70 + shift;
    Label8->setGeometry(150, top, column, lineHeight(Label8, 24));
    top = std::max(110 + shift, Label8->geometry().bottom() + 16);
    for (QLabel* link : {Labelpage, Labelemail}) {
        const int height = lineHeight(link, 24);
        link->setGeometry(150, top, column, height);
        top += std::max(30, height + 6);
    }
    const int width = std::max(330, titleWidth + 20);
    SpeedButton1->move(width - 50, std::max(200, top + 6));
    Panel2->setMinimumSize(width, std::max(250, SpeedButton1->geometry().bottom() + 18));
}

void TAboutForm::SetLinkColor(QLabel* link, const QColor& color) {
    QPalette pal = link->palette();
    pal.setColor(QPalette::WindowText, color);
    link->setPalette(pal);
}

QString TAboutForm::KissHint() const {
    const QString user = MainForm && MainForm->Label_Ripetuta ? MainForm->Label_Ripetuta->text() : QString();
    return QStringLiteral("Kiss me ") + user + QStringLiteral("!");
}

void TAboutForm::FormShow() {
    const TColor color = MainForm ? MainForm->CurrentSectionColor : Colors::clBtnFace;
    Panel_Progname->SetColor(color);
    Panel_Bordo->SetColor(color);
    Panel_Bottom->SetColor(color);
    Shape_Hallo->SetBrushColor(color);
    Shape_Ombra->SetPenColor(color);
    ImageScudo->setToolTip(KissHint());
}

bool TAboutForm::FormKeyPress(QKeyEvent* event, QObject* target) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if ((enter || event->key() == Qt::Key_Space) && (target == Labelpage || target == Labelemail)) {
        Guarded([&] { target == Labelpage ? LabelpageClick() : LabelemailClick(); });
        return true;
    }
    if (enter) {
        accept();
        return true;
    }
    return TDialogFrame::FormKeyPress(event, target);
}

void TAboutForm::BitBtn1Click() {
    accept();
}

void TAboutForm::SpeedButton2Click() {
    accept();
}

// Nobody is told when no browser or mail program answers: the box is only a greeting.
void TAboutForm::LabelpageClick() {
    ShellOpen(PageAddress);
}

void TAboutForm::LabelemailClick() {
    ShellOpen(MailAddress);
}

void TAboutForm::LabelpageMouseMove() {
    SetLinkColor(Labelpage, Qt::red);
}

void TAboutForm::LabelemailMouseMove() {
    SetLinkColor(Labelemail, Qt::red);
}

void TAboutForm::Panel_BordoMouseMove() {
    SetLinkColor(Labelpage, Qt::blue);
    SetLinkColor(Labelemail, Qt::blue);
    ImageScudo->setToolTip(KissHint());
}

void TAboutForm::ImageScudoMouseMove() {
    SetLinkColor(Labelpage, Qt::blue);
    SetLinkColor(Labelemail, Qt::blue);
}

void TAboutForm::ImageScudoMouseDown() {
    SpeedButtonKiss->show();
    ImageScudo->setToolTip(QStringLiteral("Thanks!"));
}

void TAboutForm::ImageScudoMouseUp() {
    SpeedButtonKiss->hide();
}

// The frame watches every event of the application while the box is up; the box picks out the
// mouse events of its own picture, links and panels.
bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // The picture and the links use up their own mouse events: passed on, they would reach the
    // panel below, which moves the window and turns the links blue again.
    if (watched == ImageScudo) {
        if (type == QEvent::MouseButtonPress) {
            ImageScudoMouseDown();
            return true;
        }
        if (type == QEvent::MouseButtonRelease) {
            ImageScudoMouseUp();
            return true;
        }
        if (type == QEvent::MouseMove) {
            ImageScudoMouseMove();
            return true;
        }
    } else if (type == QEvent::MouseMove && !IsDragging()) {
        if (watched == Labelpage) {
            LabelpageMouseMove();
            return true;
        }
        if (watched == Labelemail) {
            LabelemailMouseMove();
            return true;
        }
        if (watched == Panel_Bordo || watched == Panel2 || watched == Panel_Bottom ||
            watched == Panel_Progname || watched == Label8 || watched == SpeedButton2)
            Panel_BordoMouseMove();
    }
    return TDialogFrame::eventFilter(watched, event);
}

// --- the main window's button ---

void TMainForm::SpeedButtonAboutClick() {
    ++AboutClicks;
    if (AboutClicks >= 1 && AboutClicks <= 20)
        SpeedButtonAbout->setToolTip(QString::fromLatin1(AboutHints[AboutClicks - 1]));
    TAboutForm box(this);
    RunModal(box);
}

void TMainForm::ConnectAbout() {
    // A tab stop, so that the box opens from the keyboard (Space) too.
    SpeedButtonAbout->setFocusPolicy(Qt::TabFocus);
    ConnectGuarded(SpeedButtonAbout, &QToolButton::clicked, this, &TMainForm::SpeedButtonAboutClick);
}

} // namespace qm
