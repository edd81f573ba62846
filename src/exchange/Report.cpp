#include "exchange/Report.h"

#include "engine/Query.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/DateFormat.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <stdexcept>

namespace qm {

namespace {

const QString kProductLine = QStringLiteral("Quellmire Organizer");

struct SeamState {
    bool enabled = false;
    QString pdfFile;
    int printed = 0;
};

SeamState& Seam() {
    static SeamState state;
    return state;
}

// Draws one report; all lengths are in points and turned into printer dots here.
class ReportPainter {
public:
    ReportPainter(const ReportLayout& layout, QPrinter& printer) : m_layout(layout), m_printer(printer) {}

    int Run() {
        m_printer.setPageSize(QPageSize(QPageSize::A4));
        m_printer.setPageOrientation(m_layout.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        if (!m_painter.begin(&m_printer))
            throw std::runtime_error("The printer could not be started.");
        m_dotsPerPoint = m_printer.resolution() / 72.0;
        const QRectF paper = m_printer.pageLayout().paintRectPixels(m_printer.resolution());
        m_page = QRectF(0, 0, paper.width(), paper.height());
        LayOutColumns();

        m_pageNumber = 1;
        m_y = 0;
        DrawTitle();
        DrawColumnHeader();
        TQuery* data = m_layout.data;
        if (data && data->Active()) {
            const int keptRow = data->RecNo();
            data->DisableControls();
            for (data->First(); !data->Eof(); data->Next())
                DrawDetail(data->CurrentRecord());
            if (keptRow > 0)
                data->SetRecNo(keptRow);
            data->EnableControls();
        }
        DrawFooter();
        m_painter.end();
        return m_pageNumber;
    }

private:
    double Pt(double points) const { return points * m_dotsPerPoint; }

    QFont Font(int points, bool bold, bool italic = false) const {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSize(points);
        font.setBold(bold);
        font.setItalic(italic);
        return font;
    }

    double FooterTop() const { return m_page.height() - Pt(24); }

    void LayOutColumns() {
        double fixed = 0;
        int shared = 0;
        for (const ReportColumn& column : m_layout.columns) {
            fixed += Pt(column.width);
            if (column.width <= 0)
                ++shared;
        }
        const double share = shared ? qMax(0.0, m_page.width() - fixed) / shared : 0;
        double x = 0;
        for (const ReportColumn& column : m_layout.columns) {
            const double width = column.width > 0 ? Pt(column.width) : share;
            m_columnRects.append({x, width});
            x += width;
        }
    }

    // Text in a box `width` wide at (x, y), word-wrapped; returns the height it took.
    double Text(double x, double y, double width, const QString& text, const QFont& font, int flags) {
        m_painter.setFont(font);
        const QRectF box(x + Pt(2), y, qMax(1.0, width - Pt(4)), m_page.height());
        const QRectF used = m_painter.boundingRect(box, flags | Qt::TextWordWrap, text);
        m_painter.drawText(box, flags | Qt::TextWordWrap, text);
        return qMax(used.height(), QFontMetricsF(font, &m_printer).height());
    }

    double Measure(double width, const QString& text, const QFont& font) {
        m_painter.setFont(font);
        const QRectF box(0, 0, qMax(1.0, width - Pt(4)), m_page.height());
        return qMax(m_painter.boundingRect(box, Qt::TextWordWrap, text).height(),
                    QFontMetricsF(font, &m_printer).height());
    }

    void DrawTitle() {
        const QFont barFont = Font(14, true);
        const double barHeight = QFontMetricsF(barFont, &m_printer).height() + Pt(6);
        const QRectF bar(0, m_y, m_page.width(), barHeight);
        m_painter.fillRect(bar, m_layout.titleColor);
        m_painter.setPen(Qt::black);
        m_painter.setFont(barFont);
        m_painter.drawText(bar, Qt::AlignRight | Qt::AlignVCenter, m_layout.title);
        m_y += barHeight + Pt(4);

        if (!m_layout.dateLabel.isEmpty())
            m_y += Text(0, m_y, m_page.width(), m_layout.dateLabel, Font(11, true), Qt::AlignRight);
        if (!m_layout.groupLabel.isEmpty())
            m_y += Labelled(QStringLiteral("Group:"), m_layout.groupLabel);
        m_y += Labelled(QStringLiteral("Today:"), FormatDateTime(QStringLiteral("c"), Now()));
        const int entries = m_layout.data && m_layout.data->Active() ? m_layout.data->RecordCount() : 0;
        m_y += Labelled(QStringLiteral("Entries:"), QString::number(entries));
        m_y += Pt(6);
    }

    double Labelled(const QString& label, const QString& value) {
        const double width = Pt(70);
        const double height = Text(0, m_y, width, label, Font(10, true, true), Qt::AlignLeft);
        return qMax(height, Text(width, m_y, m_page.width() - width, value, Font(10, false), Qt::AlignLeft));
    }

    void DrawColumnHeader() {
        const QFont font = Font(m_layout.headerPoints, true, true);
        double height = 0;
        for (int i = 0; i < m_layout.columns.size(); ++i)
            height = qMax(height, Text(m_columnRects[i].first, m_y, m_columnRects[i].second,
                                       m_layout.columns[i].caption, font, Qt::AlignLeft));
        m_y += height + Pt(2);
        m_painter.drawLine(QPointF(0, m_y), QPointF(m_page.width(), m_y));
        m_y += Pt(3);
    }

    QString FieldText(const TRecord& record, const ReportColumn& column) const {
        const TField field = record.FieldByName(column.field);
        if (column.field.compare(QLatin1String("datefull"), Qt::CaseInsensitive) == 0) {
            const QDate date = field.AsDate();
            if (date.isValid())
                return QLocale().toString(date, QLocale::ShortFormat);
        }
        return field.AsString();
    }

    void DrawDetail(const TRecord& record) {
        const QFont plain = Font(m_layout.detailPoints, false);
        const QFont bold = Font(m_layout.detailPoints, true);
        QStringList texts;
        double height = QFontMetricsF(plain, &m_printer).height();
        for (int i = 0; i < m_layout.columns.size(); ++i) {
            const ReportColumn& column = m_layout.columns[i];
            texts.append(column.field.isEmpty() ? QString() : FieldText(record, column));
            if (!column.field.isEmpty())
                height =
                    qMax(height, Measure(m_columnRects[i].second, texts.last(), column.bold ? bold : plain));
        }
        if (m_y + height > FooterTop() && m_rowsOnPage > 0) {
            DrawFooter();
            m_printer.newPage();
            ++m_pageNumber;
            m_y = 0;
            m_rowsOnPage = 0;
            DrawColumnHeader();
        }
        for (int i = 0; i < m_layout.columns.size(); ++i) {
            const ReportColumn& column = m_layout.columns[i];
            const double x = m_columnRects[i].first;
            if (column.field.isEmpty()) {
                const double side = Pt(8);
                m_painter.drawRect(QRectF(x + Pt(2), m_y + Pt(1), side, side));
                continue;
            }
            Text(x, m_y, m_columnRects[i].second, texts[i], column.bold ? bold : plain,
                 column.centred ? Qt::AlignHCenter : Qt::AlignLeft);
        }
        m_y += height + Pt(3);
        ++m_rowsOnPage;
    }

    void DrawFooter() {
        const double top = FooterTop() + Pt(4);
        m_painter.drawLine(QPointF(0, top), QPointF(m_page.width(), top));
        const QFont font = Font(8, false);
        const double third = m_page.width() / 3;
        Text(0, top + Pt(3), third, kProductLine, font, Qt::AlignLeft);
        if (!m_layout.groupLabel.isEmpty())
            Text(third, top + Pt(3), third, QStringLiteral("Group: ") + m_layout.groupLabel, font,
                 Qt::AlignHCenter);
        Text(2 * third, top + Pt(3), third, QStringLiteral("Page: ") + QString::number(m_pageNumber), font,
             Qt::AlignRight);
    }

    const ReportLayout& m_layout;
    QPrinter& m_printer;
    QPainter m_painter;
    double m_dotsPerPoint = 1;
    QRectF m_page;
    QList<QPair<double, double>> m_columnRects; // x and width
    double m_y = 0;
    int m_pageNumber = 1;
    int m_rowsOnPage = 0;
};

} // namespace

int RenderReport(const ReportLayout& layout, QPrinter& printer) {
    return ReportPainter(layout, printer).Run();
}

void PreviewReport(const ReportLayout& layout, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("ReportPreview_") + layout.name);
    dialog.setWindowTitle(QStringLiteral("Preview"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&layout](QPrinter* target) { Guarded([&] { RenderReport(layout, *target); }); });
    RunModal(dialog);
}

bool PrintReport(const ReportLayout& layout) {
    SeamState& seam = Seam();
    if (seam.enabled) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(seam.pdfFile);
        RenderReport(layout, printer);
        ++seam.printed;
        return true;
    }
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull()) {
        MessageBox(QStringLiteral("There is no default printer to print on."),
                   QStringLiteral("Quellmire Organizer"), Mb::Ok + Mb::IconExclamation);
        return false;
    }
    QPrinter printer(defaultPrinter, QPrinter::HighResolution);
    printer.setCopyCount(1);
    RenderReport(layout, printer);
    return true;
}

namespace ReportSeam {

void PrintToPdf(const QString& fileName) {
    Seam().enabled = true;
    Seam().pdfFile = fileName;
    Seam().printed = 0;
}

void Disable() {
    Seam() = SeamState();
}

bool IsEnabled() {
    return Seam().enabled;
}

int PrintedCount() {
    return Seam().printed;
}

} // namespace ReportSeam

} // namespace qm
