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
#include <QTextLayout>
#include <memory>
#include <stdexcept>
#include <vector>

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

    // `text` laid out in a column `width` wide: broken between words, and inside a word only where
    // the word alone is wider than the column, so that every character stays inside and none is cut.
    std::unique_ptr<QTextLayout> LayOut(const QString& text, const QFont& font, double width, int flags) {
        QString lines = text;
        lines.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
        lines.replace(u'\n', QChar::LineSeparator);
        lines.replace(u'\r', QChar::LineSeparator);
        auto layout = std::make_unique<QTextLayout>(lines, font, &m_printer);
        QTextOption option(Qt::Alignment(flags) & Qt::AlignHorizontal_Mask);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout->setTextOption(option);
        const double inner = qMax(1.0, width - Pt(4));
        double y = 0;
        layout->beginLayout();
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(inner);
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout->endLayout();
        return layout;
    }

    // The height a laid-out text takes: at least one line, also for an empty text.
    double Height(const QTextLayout& layout) const {
        const double lines = layout.lineCount() ? layout.boundingRect().height() : 0;
        return qMax(lines, QFontMetricsF(layout.font(), &m_printer).height());
    }

    // Text in a column `width` wide at (x, y), word-wrapped; returns the height it took.
    double Text(double x, double y, double width, const QString& text, const QFont& font, int flags) {
        const std::unique_ptr<QTextLayout> layout = LayOut(text, font, width, flags);
        layout->draw(&m_painter, QPointF(x + Pt(2), y));
        return Height(*layout);
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

    void NewPage() {
        DrawFooter();
        m_printer.newPage();
        ++m_pageNumber;
        m_y = 0;
        m_rowsOnPage = 0;
        DrawColumnHeader();
    }

    // One row: each field word-wrapped in its column, the band as tall as its tallest field. A row
    // that does not fit starts a new page; one taller than a whole page goes on over the next.
    void DrawDetail(const TRecord& record) {
        const QFont plain = Font(m_layout.detailPoints, false);
        const QFont bold = Font(m_layout.detailPoints, true);
        struct Cell {
            std::unique_ptr<QTextLayout> layout;
            int next = 0; // the first line not yet drawn
        };
        std::vector<Cell> cells(size_t(m_layout.columns.size()));
        double height = QFontMetricsF(plain, &m_printer).height();
        for (int i = 0; i < m_layout.columns.size(); ++i) {
            const ReportColumn& column = m_layout.columns[i];
            if (column.field.isEmpty())
                continue;
            cells[size_t(i)].layout =
                LayOut(FieldText(record, column), column.bold ? bold : plain, m_columnRects[i].second,
                       column.centred ? Qt::AlignHCenter : Qt::AlignLeft);
            height = qMax(height, Height(*cells[size_t(i)].layout));
        }
        if (m_y + height > FooterTop() && m_rowsOnPage > 0)
            NewPage();

        for (int i = 0; i < m_layout.columns.size(); ++i) {
            if (!m_layout.columns[i].field.isEmpty())
                continue;
            const double side = Pt(8);
            m_painter.drawRect(QRectF(m_columnRects[i].first + Pt(2), m_y + Pt(1), side, side));
        }
        for (;;) {
            const double room = FooterTop() - m_y;
            double used = 0;
            bool more = false;
            for (int i = 0; i < m_layout.columns.size(); ++i) {
                Cell& cell = cells[size_t(i)];
                if (!cell.layout || cell.next >= cell.layout->lineCount())
                    continue;
                const double top = cell.layout->lineAt(cell.next).y();
                const QPointF origin(m_columnRects[i].first + Pt(2), m_y - top);
                // At least one line per page, so that a row always moves on.
                do {
                    const QTextLine line = cell.layout->lineAt(cell.next);
                    if (line.y() + line.height() - top > room && line.y() > top)
                        break;
                    line.draw(&m_painter, origin);
                    used = qMax(used, line.y() + line.height() - top);
                } while (++cell.next < cell.layout->lineCount());
                more = more || cell.next < cell.layout->lineCount();
            }
            if (!more) {
                m_y += qMax(used, QFontMetricsF(plain, &m_printer).height()) + Pt(3);
                break;
            }
            NewPage();
        }
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
