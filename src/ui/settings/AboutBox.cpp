#include "ui/settings/AboutBox.h"

#include "core/Placement.h"
#include "core/Postgres.h"
#include "core/Version.h"
#include "core/WebLinks.h"
#include "platform/FileSystem.h"
#include "platform/SystemInformation.h"
#include "ui/common/Artwork.h"
#include "ui/common/ClassicForm.h"
#include "ui/common/Faces.h"
#include "ui/common/MessageBox.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace verdane {

QString databaseSizeText(qint64 bytes, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return QStringLiteral("Database Size: ") + plain.toString(double(bytes) / 1024.0, 'g', 15) + QStringLiteral("Kb");
}

AboutBox::AboutBox(QWidget* owner, const QString& libraryPath, const QString& userPath, const QStringList& unreadable)
    : ClassicForm(owner, Kind::Modal, "frmAbout", QStringLiteral("About Verdane"), 5490, 2385)
    , m_imgImage1(new QLabel(this))
    , m_lblTitle(new QLabel(QStringLiteral("Application Title"), this))
    , m_lblVersion(new QLabel(QStringLiteral("Version"), this))
    , m_lblDatabaseInfo(new QLabel(QStringLiteral("Database Info"), this))
    , m_lblCopyright(
          new QLabel(QStringLiteral("Copyright \u00a9 2026 The Verdane developers. All rights reserved."), this))
    , m_lblLabel1(new QLabel(QStringLiteral("www.quillmere.example"), this))
    , m_cmdOK(new QPushButton(QStringLiteral("&OK"), this))
    , m_cmdSysInfo(new QPushButton(QStringLiteral("&System Info..."), this)) {
    place(m_imgImage1, "imgImage1", 240, 240, 480, 480);
    m_imgImage1->setPixmap(appIconPixmap(32, devicePixelRatioF()));
    place(m_lblTitle, "lblTitle", 1080, 240, 3885, 240);
    QFont bold = m_lblTitle->font();
    bold.setBold(true);
    m_lblTitle->setFont(bold);
    place(m_lblVersion, "lblVersion", 1080, 480, 3885, 225);
    place(m_lblDatabaseInfo, "lblDatabaseInfo", 1080, 720, 3885, 225);
    place(m_lblCopyright, "lblCopyright", 240, 1080, 4815, 255);
    place(m_lblLabel1, "lblLabel1", 1695, 1320, 1905, 195);
    QFont link(faces::dialog());
    link.setPointSizeF(8.25);
    link.setUnderline(true);
    m_lblLabel1->setFont(link);
    QPalette blue = m_lblLabel1->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    m_lblLabel1->setPalette(blue);
    m_lblLabel1->setCursor(Qt::PointingHandCursor);
    m_lblLabel1->setAlignment(Qt::AlignCenter);
    m_lblLabel1->installEventFilter(this);
    place(m_cmdOK, "cmdOK", 720, 1920, 1260, 345);
    m_cmdOK->setDefault(true);
    place(m_cmdSysInfo, "cmdSysInfo", 3480, 1920, 1245, 345);
    m_cmdSysInfo->setAutoDefault(false);
    setTabOrder({m_cmdOK, m_cmdSysInfo});

    connect(m_cmdOK, &QPushButton::clicked, this, &AboutBox::cmdOK_Click);
    connect(m_cmdSysInfo, &QPushButton::clicked, this, &AboutBox::cmdSysInfo_Click);
    Form_Load(libraryPath, userPath, unreadable);
}

AboutBox::~AboutBox() = default;

void AboutBox::Form_Load(const QString& libraryPath, const QString& userPath, const QStringList& unreadable) {
    m_lblVersion->setText(QStringLiteral("Version %1.%2.%3")
                              .arg(VERDANE_VERSION_MAJOR)
                              .arg(VERDANE_VERSION_MINOR)
                              .arg(VERDANE_VERSION_PATCH));
    m_lblTitle->setText(QStringLiteral("Verdane"));
    // A team library has no file whose size could be shown; where it is shows as for the files.
    // What the last reading of the catalogue could not read is said with where the records are.
    const QString problems =
        unreadable.isEmpty() ? QString() : QStringLiteral("\nNot read: ") + unreadable.join(QStringLiteral("\n"));
    if (pg::isAddress(libraryPath)) {
        m_lblDatabaseInfo->setText(QStringLiteral("Team Library"));
        m_lblDatabaseInfo->setToolTip(QStringLiteral("Library and your snippets: %1").arg(libraryPath) + problems);
        return;
    }
    // The line has room for the size only; where the files are, which depends on how the program was installed and
    // started, shows when the pointer rests on it.
    m_lblDatabaseInfo->setToolTip(QStringLiteral("Library: %1\nYour snippets: %2")
                                      .arg(QDir::toNativeSeparators(QFileInfo(libraryPath).absoluteFilePath()),
                                           QDir::toNativeSeparators(QFileInfo(userPath).absoluteFilePath())) +
                                  problems);
    // Opened without waiting, so that a pipe in the file's place is no reason to hang.
    const filesystem::OpenedFile library = filesystem::openForReading(libraryPath);
    filesystem::close(library.fd);
    if (library.fd < 0 || library.facts.kind != filesystem::Kind::Regular) {
        MessageBox::error(this);
        return;
    }
    m_lblDatabaseInfo->setText(databaseSizeText(library.facts.size, QLocale::system()));
}

void AboutBox::cmdOK_Click() {
    accept();
}

void AboutBox::cmdSysInfo_Click() {
    if (!platform::startSystemInformation())
        MessageBox::show(this, QStringLiteral("System Information Is Unavailable At This Time"));
}

void AboutBox::lblLabel1_Click() {
    MessageBox::openLink(this, QUrl(homePage()));
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_lblLabel1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        lblLabel1_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// The etched rule across the box: a grey line with a white one beneath it.
void AboutBox::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter p(this);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(twipsToPixels(105), twipsToPixels(1710), twipsToPixels(5330), twipsToPixels(1710));
    p.setPen(Qt::white);
    p.drawLine(twipsToPixels(120), twipsToPixels(1725), twipsToPixels(5330), twipsToPixels(1725));
}

} // namespace verdane
