#pragma once

#include "dialogs/DialogFrame.h"

#include <QCursor>
#include <QWidget>

class QLabel;
class QPushButton;
class QToolButton;

namespace qm {

class TPanel;

// A plain shape: a filled rectangle or an ellipse outline.
class TShape : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Rectangle, Ellipse };
    TShape(QWidget* parent, const QString& name, Kind kind);

    TColor BrushColor() const { return m_brush; }
    void SetBrushColor(TColor color);
    TColor PenColor() const { return m_pen; }
    void SetPenColor(TColor color);
    void SetPenWidth(int width);
    // An ellipse is drawn as an outline only.
    bool Filled() const { return m_kind == Kind::Rectangle; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
    TColor m_brush = Colors::clWhite;
    TColor m_pen = Colors::clBlack;
    int m_penWidth = 1;
};

// The About box: title in the active section's colour, a picture that likes to be kissed, the
// version line and the links to the maker's web page and mail address.
class TAboutForm : public TDialogFrame {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* owner);

    static const QString PageAddress;
    static const QString MailAddress;

    TPanel* Panel_Bordo = nullptr;
    TPanel* Panel2 = nullptr;
    TPanel* Panel_Bottom = nullptr;
    TPanel* Panel_Progname = nullptr;
    TShape* Shape_Hallo = nullptr;
    TShape* Shape_Ombra = nullptr;
    QLabel* ImageScudo = nullptr;
    QToolButton* SpeedButtonKiss = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Labelpage = nullptr;
    QLabel* Labelemail = nullptr;
    QToolButton* SpeedButton2 = nullptr; // "Hi!"
    QPushButton* BitBtn1 = nullptr;      // OK, out of sight

    void BitBtn1Click();
    void SpeedButton2Click();
    void LabelpageClick();
    void LabelemailClick();
    void LabelpageMouseMove();
    void LabelemailMouseMove();
    void Panel_BordoMouseMove();
    void ImageScudoMouseMove();
    void ImageScudoMouseDown();
    void ImageScudoMouseUp();

    // The cursor of the picture, painted once per box.
    static QCursor MakeKissCursor();

protected:
    bool FormKeyPress(QKeyEvent* event, QObject* target) override;
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString KissHint() const;
    void FitTextsToFont();
    void SetLinkColor(QLabel* link, const QColor& color);
};

} // namespace qm
