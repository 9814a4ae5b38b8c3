#include "app/Form1.h"

#include "app/SkinImages.h"
#include "app/TextLines.h"
#include "calendar/Calendar.h"
#include "gallery/MyGallery.h"
#include "hover/HoverTracker.h"
#include "picture/Countdown.h"
#include "picture/PictureInstaller.h"
#include "picture/PictureLink.h"
#include "picture/PictureLoader.h"
#include "picture/PictureRecord.h"
#include "picture/RefreshCycle.h"
#include "platform/Clock.h"
#include "platform/Http.h"
#include "platform/WindowMove.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsPanel.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>

Q_LOGGING_CATEGORY(lcForm, "artcal.state")

namespace {
const QColor coverGrey(224, 224, 224);
const QColor hoverYellow(255, 255, 128);

// Debian's stand-ins for the fonts the skin was drawn with: Liberation Serif for
// Narkisim and Times New Roman, Liberation Sans for MS Sans Serif and Tahoma (the
// closest digit widths). Sizes are pixels, so the layout does not follow the DPI.
QFont skinFont(const char* family, int pixelSize, bool bold = false)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}
} // namespace

Form1::Form1(const Options& options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_options(options),
      m_skin(std::make_unique<SkinImages>(options.stateDir)),
      m_http(std::make_unique<platform::Http>())
{
    setWindowTitle(QStringLiteral("C"));
    setFont(skinFont("Liberation Serif", 11));
    // Laid out wider than shown; start-up cuts it to the skin, hiding what waits on
    // the right (the settings panel).
    setFixedSize(476, 392);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);

    createControls();
    m_calendar = std::make_unique<Calendar>(*this);
    m_installer = std::make_unique<PictureInstaller>(*this, *m_http);
    m_refreshCycle = std::make_unique<RefreshCycle>(*this, *m_http, *m_installer);
    m_settingsPanel = std::make_unique<SettingsPanel>(*this);
    m_myGallery = std::make_unique<MyGallery>(*this);
    m_hoverTracker = std::make_unique<HoverTracker>(*this);
    connectHandlers();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    // Qt stacks later siblings on top, so each container is filled bottom first.
    LabelMnthShade = new SkinLabel(this, {23, 181, 191, 14}, QStringLiteral("January 2006"));
    LabelMnthShade->setAlignment(Qt::AlignCenter);
    LabelMnthShade->setFont(skinFont("Liberation Sans", 11, true));
    Image1Label = new SkinLabel(this, {24, 33, 188, 143});
    Image1Label->setTag(QStringLiteral("MouseOut"));
    LabelExit = new HotSpot(this, {198, 14, 12, 12});
    Label5 = new HotSpot(this, {100, 360, 120, 28});
    Label6 = new HotSpot(this, {95, 196, 43, 25});
    Label7 = new HotSpot(this, {69, 364, 29, 21});
    Label9 = new HotSpot(this, {58, 12, 117, 18});
    Label11 = new HotSpot(this, {16, 365, 21, 20});
    Label12 = new HotSpot(this, {43, 364, 21, 20});
    Label13 = new HotSpot(this, {24, 196, 69, 10});
    Image1 = new ImageBox(this, {24, 32, 188, 144});
    Line1 = new LineControl(this, {22, 31}, {211, 31}, hoverYellow);
    Line3 = new LineControl(this, {23, 176}, {23, 30}, hoverYellow);
    Line4 = new LineControl(this, {212, 177}, {212, 31}, hoverYellow);
    Line2 = new LineControl(this, {23, 177}, {212, 177}, hoverYellow);
    for (QWidget* line : {Line1, Line2, Line3, Line4})
        line->hide();
    ImageAdded = new SkinLabel(this, {156, 196, 58, 15});
    ImageAdded->setOpaque(coverGrey);
    Downloading = new ProgressLabel(this, {142, 196, 71, 15}, QStringLiteral("Downloading..."));
    Downloading->setOpaque(coverGrey);
    Downloading->setFont(skinFont("Liberation Serif", 11));
    Downloading->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Downloading->hide();
    Label2 = new HotSpot(this, {25, 196, 66, 14});
    for (HotSpot* spot : {LabelExit, Label5, Label6, Label7, Label9, Label11, Label12, Label13,
                          Label2, static_cast<HotSpot*>(Image1)})
        spot->setCursor(Qt::PointingHandCursor);

    Picture1 = new PictureBox(this, {20, 225, 196, 132}, Qt::black, [this](qreal dpr) {
        return m_skin->image(SkinImages::Part::Calendar, dpr);
    });
    DaysChooseImg = new ImageBox(Picture1, {32, 37, 14, 12});
    DaysChooseImg->setPicture(m_skin->image(SkinImages::Part::Marker, devicePixelRatioF()));
    Days << new SkinLabel(Picture1, {35, 37, 10, 11}, QStringLiteral("31"));
    Days[0]->setFont(skinFont("Liberation Sans", 9));
    Days[0]->setTextColour(Qt::white);
    Days[0]->hide();

    Settings = new PictureBox(this, {242, 165, 204, 137}, QColor(0, 0, 192), [this](qreal dpr) {
        return m_skin->image(SkinImages::Part::Settings, dpr);
    });
    Label1 = new HotSpot(Settings, {175, 14, 17, 17});
    Label1->setCursor(Qt::PointingHandCursor);
    Combo1 = new QComboBox(Settings);
    Combo1->setGeometry(21, 103, 116, 19);
    Combo1->addItems({QStringLiteral("5 Minute"), QStringLiteral("15 Minutes"),
                      QStringLiteral("30 Minutes"), QStringLiteral("1 Hour"),
                      QStringLiteral("Manual Update")});
    Combo2 = new QComboBox(Settings);
    Combo2->setGeometry(22, 58, 115, 19);
    Combo2->addItems({QStringLiteral("All"), QStringLiteral("My Gallery")});
    for (QComboBox* combo : {Combo1, Combo2}) {
        combo->setFont(skinFont("Liberation Sans", 11));
        combo->setFocusPolicy(Qt::NoFocus); // no focus frame drawn on the painted panel
    }
    Settings->hide();

    Picture2 = new PictureBox(this, {57, 12, 116, 16}, coverGrey);
    Label10 = new SkinLabel(Picture2, {4, 0, 107, 16}, QStringLiteral("My Gallery"));
    Label10->setAlignment(Qt::AlignCenter);
    Label10->setFont(skinFont("Liberation Sans", 13, true));
    Label10->hide();
    Picture2->hide();

    Timer1 = new TagTimer(this, 9999, true);
    Timer2 = new TagTimer(this, Countdown::tickMs, false, QStringLiteral("0"));
    CursorEvents = new TagTimer(this, 40, true);
}

void Form1::connectHandlers()
{
    connect(LabelExit, &HotSpot::clicked, this, &Form1::LabelExit_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(Image1, &HotSpot::clicked, this, [this] { PictureLink::Image1_Click(Image1->tag()); });
}

void Form1::Form_Load()
{
    Random.seed(quint32(platform::clock().now().toMSecsSinceEpoch()));
    DownloadRetried = false;
    ImageAdded->show();
    const QDate today = platform::clock().today();
    ShownYear = today.year();
    MonthBrowsing = false;
    ShownMonth = today.month();
    DefaultPictureShown = false;
    setFixedSize(235, 392);

    showStoredPicture();

    const std::optional<QStringList> categories =
        TextLines::read(statePath(QStringLiteral("Categories.dat")));
    if (!categories)
        qCWarning(lcForm)
            << "cannot read Categories.dat; only \"All\" and \"My Gallery\" are offered";
    Combo2->addItems(categories.value_or(QStringList()));

    const SettingsFile::Choices choices = SettingsFile::load(
        statePath(QStringLiteral("Settings.dat")), Combo1->count(), Combo2->count());
    Combo1->setCurrentIndex(choices.interval);
    Combo2->setCurrentIndex(choices.category);

    if (!DefaultPictureShown)
        Picture2->setVisible(Combo2->currentIndex() == 1);
    RearmTimer2();
    // A new user should not wait an interval for the first picture.
    if (DefaultPictureShown)
        Timer2->setTag(QStringLiteral("0"));
    Timer2->setEnabled(true);
    Timer1_Timer();
}

void Form1::showStoredPicture()
{
    const QString imagePath = statePath(QStringLiteral("image.jpg"));
    const QSize shown = Image1->size() * devicePixelRatioF();
    if (QFileInfo(imagePath).isFile()) {
        const QImage picture = PictureLoader::load(imagePath, shown);
        if (!picture.isNull()) {
            Image1->setPicture(picture);
            const QString recordPath = statePath(QStringLiteral("image.jpg.dat"));
            if (QFileInfo(recordPath).isFile()) {
                const std::optional<QStringList> lines = TextLines::read(recordPath);
                if (lines)
                    Image1->setTag(PictureRecord::fromLines(*lines).toTag());
                else
                    qCWarning(lcForm) << "cannot read" << recordPath;
            }
            return;
        }
    }
    // No usable picture yet: the placeholder, which cannot be saved to the gallery.
    Image1->setPicture(PictureLoader::load(statePath(QStringLiteral("default.jpg")), shown));
    Picture2->show();
    DefaultPictureShown = true;
}

void Form1::RearmTimer2()
{
    const Countdown::Arm arm =
        Countdown::forInterval(Combo1->currentIndex(), Combo1->count(), List1);
    if (arm.arming == Countdown::Arming::Manual) {
        Timer2->setEnabled(false);
    } else if (arm.arming == Countdown::Arming::Timed) {
        Timer2->setTag(arm.ticks);
        Timer2->setEnabled(true);
    }
}

void Form1::Timer1_Timer()
{
    m_calendar->Timer1_Timer();
}

void Form1::Timer2_Timer()
{
    m_refreshCycle->Timer2_Timer();
}

void Form1::LabelExit_Click()
{
    close();
}

void Form1::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), m_skin->image(SkinImages::Part::Skin, devicePixelRatioF()));
}

void Form1::mousePressEvent(QMouseEvent* event)
{
    // Only presses on the bare skin arrive here: every control keeps its own.
    platform::DragForm(this, event->globalPosition().toPoint());
    event->accept();
}
