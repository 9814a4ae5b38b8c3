// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"

#include "app/AppIcon.h"
#include "app/FormCommands.h"
#include "app/SkinImages.h"
#include "app/SkinLayout.h"
#include "calendar/CalendarsDialog.h"
#include "controls/NamedList.h"
#include "controls/Pressable.h"
#include "platform/Display.h"
#include "platform/FreeMemory.h"
#include "platform/Logging.h"
#include "platform/UrlOpener.h"
#include "platform/WallClockWatch.h"
#include "platform/WindowMove.h"
#include "state/StateFiles.h"
#include "state/WindowPlace.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QScreen>
#include <QTextDocument>

#include <utility>

namespace {
// The largest screen in device pixels, which a wallpaper must cover.
QSize largestScreen()
{
    QSize largest;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QSize size = screen->size() * screen->devicePixelRatio();
        if (qint64(size.width()) * size.height() > qint64(largest.width()) * largest.height())
            largest = size;
    }
    return largest;
}
} // namespace

Form1::Form1(const Options& options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_options(options),
      m_skin(std::make_unique<SkinImages>(options.stateDir, options.artFolders))
{
    setWindowTitle(QStringLiteral("artcal")); // what the taskbar and window lists show
    // A desktop widget is rarely the active window; the picture's tooltip must show anyway.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::StrongFocus); // the window itself holds the focus, not a list
    setFont(SkinLayout::font(SkinLayout::serif, 11));
    setFixedSize(SkinLayout::layoutSize);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);

    createControls();
    createFeatures();
    orderKeyboard();
    Form_Load();
    restorePlace();
    // The art is painted before the window maps, so its first frame is the finished one.
    for (const SkinImages::Part part : {SkinImages::Part::Skin, SkinImages::Part::Calendar})
        m_skin->image(part, devicePixelRatioF());
}

Form1::~Form1()
{
    // Before the window's actions go: a dialog that closes moves the focus, which the
    // commands follow.
    delete m_calendarsDialog;
}

void Form1::createControls()
{
    using namespace SkinLayout;
    // Qt stacks later siblings on top, so each container is filled bottom first.
    LabelMnthShade = new SkinLabel(this, monthCaption, QStringLiteral("January 2006"));
    LabelMnthShade->setAlignment(Qt::AlignCenter);
    LabelMnthShade->setFont(SkinLayout::font(SkinLayout::sans, 11, QFont::Bold));
    CaptionButton = new HotSpot(this, monthCaption);
    Image1Label = new SkinLabel(this, hoverArea);
    Image1Label->setTag(QStringLiteral("MouseOut"));
    LabelExit = new HotSpot(this, closeButton);
    Label5 = new HotSpot(this, settingsButton);
    Label6 = new HotSpot(this, refreshButton);
    Label7 = new HotSpot(this, weatherLink);
    Label9 = new HotSpot(this, addToGallery);
    Label11 = new HotSpot(this, previousMonth);
    Label12 = new HotSpot(this, nextMonth);
    Label13 = new HotSpot(this, homeLink);
    Image1 = new ImageBox(this, picture);
    // The highlight box, on the mount round the picture.
    Line1 = new LineControl(this, {22, 31}, {211, 31}, hoverYellow);
    Line3 = new LineControl(this, {23, 176}, {23, 30}, hoverYellow);
    Line4 = new LineControl(this, {212, 177}, {212, 31}, hoverYellow);
    Line2 = new LineControl(this, {23, 177}, {212, 177}, hoverYellow);
    for (QWidget* line : {Line1, Line2, Line3, Line4})
        line->hide();
    ImageAdded = new SkinLabel(this, imageAdded);
    ImageAdded->setOpaque(face);
    Downloading = new ProgressLabel(this, busy, QStringLiteral("Downloading..."));
    Downloading->setOpaque(face);
    Downloading->setFont(SkinLayout::font(SkinLayout::serif, 11));
    Downloading->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Downloading->hide();
    Label2 = new HotSpot(this, viewGallery);
    for (HotSpot* spot : {LabelExit, Label5, Label6, Label7, Label9, Label11, Label12, Label13,
                          Label2, static_cast<HotSpot*>(Image1)})
        spot->setCursor(Qt::PointingHandCursor);
    // The buttons that run a command take their words from it (see describeButtons).
    const std::pair<HotSpot*, const char*> buttons[] = {
        {Label7, "Weather"},
        {Label2, "View My Gallery"},
    };
    for (const auto& [button, what] : buttons)
        button->describe(QString::fromUtf8(what));

    Picture1 = new PictureBox(this, SkinLayout::calendar, Qt::black, [this](qreal dpr) {
        return m_skin->image(SkinImages::Part::Calendar, dpr);
    });
    DaysChooseImg = new ImageBox(Picture1, marker);
    DaysChooseImg->setPicture(m_skin->image(SkinImages::Part::Marker, devicePixelRatioF()));

    Settings = new PictureBox(this, SkinLayout::settingsPanel, settingsBlue, [this](qreal dpr) {
        return m_skin->image(SkinImages::Part::Settings, dpr);
    });
    Label1 = new HotSpot(Settings, settingsClose);
    Label1->setCursor(Qt::PointingHandCursor);
    // The lists take the panel's font as they are made: a font given to a list later
    // builds its popup at once, while the panel may never be opened.
    Settings->setFont(SkinLayout::font(SkinLayout::sans, 11));
    Combo1 = new QComboBox(Settings);
    Combo1->setGeometry(intervalBox);
    Combo1->addItems({QStringLiteral("5 Minute"), QStringLiteral("15 Minutes"),
                      QStringLiteral("30 Minutes"), QStringLiteral("1 Hour"),
                      QStringLiteral("Manual Update")});
    Combo2 = new QComboBox(Settings);
    Combo2->setGeometry(sourceBox);
    Combo2->addItems({QStringLiteral("All"), QStringLiteral("My Gallery")});
    NamedList::name(Combo1, QStringLiteral("Refresh interval"));
    NamedList::name(Combo2, QStringLiteral("Picture category"));
    for (QComboBox* combo : {Combo1, Combo2})
        combo->setFocusPolicy(Qt::TabFocus); // a click draws no focus frame on the panel
    Settings->hide();

    Picture2 = new PictureBox(this, badge, face);
    Picture2->setFont(SkinLayout::font(SkinLayout::sans, 13, QFont::Bold)); // the caption's
    Label10 = new SkinLabel(Picture2, badgeCaption, QStringLiteral("My Gallery"));
    Label10->setAlignment(Qt::AlignCenter);
    Label10->hide();
    Picture2->hide();

    Timer1 = new TagTimer(this, 0, true);         // Form_Load sets its first sleep
    CursorEvents = new TagTimer(this, 40, false); // runs while the pointer is over the window
}

void Form1::createFeatures()
{
    m_commands = std::make_unique<FormCommands>(*this);
    describeButtons();
    auto* dayTemplate = new SkinLabel(Picture1, SkinLayout::dayTemplate, QStringLiteral("31"));
    dayTemplate->setFont(SkinLayout::font(SkinLayout::sans, 9));
    dayTemplate->setTextColour(SkinLayout::dayBlue);
    dayTemplate->hide();
    m_calendar = std::make_unique<Calendar>(
        Calendar::Controls{Picture1, dayTemplate, DaysChooseImg, LabelMnthShade, CaptionButton,
                           Label11, Label12, Label13, Label7, SkinLayout::weekendGold},
        m_options.serverBase);
    m_cycle = std::make_unique<PictureCycle>(m_options.stateDir, m_options.serverBase, m_http,
                                             static_cast<PictureView&>(*this));
    m_settingsPanel =
        std::make_unique<SettingsPanel>(SettingsPanel::Controls{Settings, SkinLayout::settingsShown,
                                                                Combo1, Combo2, Label5, Label1},
                                        m_options.stateDir, m_options.serverBase, m_http, *m_cycle);
    m_myGallery = std::make_unique<MyGallery>(
        MyGallery::Controls{Image1, ImageAdded, Downloading, Label9, Label2}, m_options.stateDir,
        m_options.serverBase);
    m_hoverTracker = std::make_unique<HoverTracker>(
        HoverTracker::Controls{this, Image1Label, {Line1, Line2, Line3, Line4}, CursorEvents});

    m_wallpaper = std::make_unique<Wallpaper>(
        Wallpaper::Options{m_options.stateDir, largestScreen,
                           qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
                           QGuiApplication::platformName() == u"xcb", m_options.wallpaperToolLimit},
        m_http);
    connect(m_wallpaper.get(), &Wallpaper::outcome, this, &Form1::showNotice);
    connect(m_cycle.get(), &PictureCycle::installed, m_wallpaper.get(), &Wallpaper::newPicture);

    m_calendar->setPicturesOn([this](const QDate& day) { return m_cycle->history().countOf(day); });
    m_calendars = std::make_unique<CalendarSet>(m_options.stateDir);
    m_subscriptions = new Subscriptions(*m_calendars, m_http);
    m_calendar->setNotesOn([this](const QDate& day) { return m_calendars->notesOn(day); });
    connect(m_calendar.get(), &Calendar::monthShown, m_calendars.get(), &CalendarSet::showMonth);
    connect(m_calendars.get(), &CalendarSet::marksChanged, m_calendar.get(), &Calendar::markDays);
    connect(m_calendar.get(), &Calendar::dayClicked, m_cycle.get(), &PictureCycle::showDay);
    connect(m_cycle.get(), &PictureCycle::historyChanged, m_calendar.get(), &Calendar::markDays);

    connect(LabelExit, &HotSpot::clicked, this, &Form1::LabelExit_Click);
    connect(Label6, &HotSpot::clicked, this, &Form1::Label6_Click);
    connect(Image1, &HotSpot::clicked, this, &Form1::Image1_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(&platform::WallClockWatch::instance(), &platform::WallClockWatch::jumped, this,
            &Form1::Timer1_Timer);
}

void Form1::describeButtons()
{
    using Id = FormCommands::Id;
    const std::pair<HotSpot*, Id> buttons[] = {
        {LabelExit, Id::Close},       {Label6, Id::Fetch},         {Label9, Id::AddToGallery},
        {Label11, Id::PreviousMonth}, {Label12, Id::NextMonth},    {Label13, Id::OpenHomePage},
        {Label5, Id::OpenSettings},   {Label1, Id::CloseSettings},
    };
    for (const auto& [button, id] : buttons)
        button->describe(m_commands->action(id)->toolTip());
    // The picture's tooltip tells how the refreshes go; its name, what a click does.
    Image1->name(m_commands->action(Id::OpenPicturePage)->toolTip());
}

void Form1::orderKeyboard()
{
    // Tab goes through the buttons as the eye reads the skin, top to bottom; the open
    // panel's lists and close button follow the button that opened it.
    QWidget* const order[] = {Image1,        Label6,  Label9, Label2, Label13, Label7, Label11,
                              CaptionButton, Label12, Label5, Combo2, Combo1,  Label1, LabelExit};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    // The window itself has the focus when it is activated, not its first button (which
    // Enter would press unseen): the first Tab goes to the picture.
    setFocus();
    // The focus mark in the skin's colours: today's marker, the hover box.
    Pressable::setMarkColours(this, QColor(SkinLayout::markerColour), SkinLayout::hoverYellow);
}

void Form1::Form_Load()
{
    ImageAdded->show();
    setFixedSize(SkinLayout::windowSize);
    // The stored picture decodes on a thread of the pool while the month is laid out.
    m_cycle->loadStoredPicture();
    m_settingsPanel->loadChoices();
    Timer1_Timer();
    // The calendars are read once the window is up: their parse would take a core from
    // its making, and their marks follow the first frame in any case.
    connect(
        this, &Form1::firstFramePainted, this,
        [this] {
            m_calendars->load();
            m_subscriptions->schedule();
        },
        Qt::SingleShotConnection);
    m_cycle->showStoredPicture();
    m_cycle->start();
}

void Form1::Timer1_Timer()
{
    m_calendar->Timer1_Timer();
    Timer1->sleepFor(Calendar::msToNextDay());
}

void Form1::Label6_Click()
{
    m_cycle->refreshNow();
}

void Form1::Image1_Click()
{
    // An empty tag (no record installed) opens nothing; the browser launch refuses
    // anything but a web page.
    if (!Image1->tag().isEmpty())
        platform::openUrl(QUrl(PictureRecord::fromTag(Image1->tag()).pageUrl));
}

std::optional<PictureRecord> Form1::shownRecord() const
{
    if (Image1->tag().isEmpty())
        return std::nullopt;
    return PictureRecord::fromTag(Image1->tag());
}

void Form1::LabelExit_Click()
{
    close();
}

PictureView::Choices Form1::choices() const
{
    return {Combo1->currentIndex(), Combo1->count(), Combo2->currentIndex(), Combo2->currentText()};
}

QSize Form1::pictureSize() const
{
    return Image1->size() * devicePixelRatioF();
}

void Form1::showBusy(bool busy)
{
    Downloading->setVisible(busy);
    if (busy)
        ImageAdded->show();
}

void Form1::showProgress(qreal fraction)
{
    Downloading->setProgress(fraction);
}

void Form1::showPicture(const QImage& picture, const std::optional<PictureRecord>& record)
{
    Image1->setPicture(picture);
    Image1->setTag(record ? record->toTag() : QString());
}

void Form1::setBadge(Badge badge)
{
    Picture2->setVisible(badge != Badge::Hidden);
    Label10->setVisible(badge == Badge::MyGallery);
}

void Form1::enableRefresh(bool enabled)
{
    Label6->setEnabled(enabled);
    m_commands->action(FormCommands::Id::Fetch)->setEnabled(enabled);
}

void Form1::showStatus(const QString& text)
{
    m_status = text;
    updateStatus();
}

void Form1::showNotice(const QString& text)
{
    m_notice = text;
    updateStatus();
}

void Form1::updateStatus()
{
    QStringList parts{m_status, m_notice};
    parts.removeAll(QString());
    const QString text = parts.join(QStringLiteral("\n\n"));
    // A tooltip whose first line looks like markup renders as rich text: the picture's
    // title could. Given as escaped rich text it always reads as the words it holds,
    // line for line as plain text would (no wrapping); assistive technology, which would
    // read the tooltip's markup, gets the words.
    const QString lines = text.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"));
    Image1->setToolTip(text.isEmpty()
                           ? QString()
                           : QStringLiteral("<p style='white-space:pre'>%1</p>").arg(lines));
    Image1->setAccessibleDescription(text);
}

void Form1::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), m_skin->image(SkinImages::Part::Skin, devicePixelRatioF()));
    if (!std::exchange(m_painted, true)) {
        // The icon is painted in six sizes and looked up in the icon theme: a window
        // manager that shows it takes it as well once the window is up. Its pixmaps,
        // scaled for the window manager, would wait in Qt's pixmap cache, whose upkeep
        // wakes the widget at rest 30 s later.
        QMetaObject::invokeMethod(
            this,
            [this] {
                setWindowIcon(AppIcon::icon());
                QPixmapCache::clear();
                platform::giveBackFreeMemory(); // what the window's making left free
            },
            Qt::QueuedConnection);
        emit firstFramePainted();
    }
}

void Form1::contextMenuEvent(QContextMenuEvent* event)
{
    // Over the picture or the calendar, or from the keyboard; a right press on the bare
    // skin moves the window instead.
    const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
    if (!keyboard && !Image1->geometry().contains(event->pos()) &&
        !Picture1->geometry().contains(event->pos()))
        return event->ignore();
    m_commands->popup(keyboard ? mapToGlobal(Image1->geometry().center()) : event->globalPos());
}

void Form1::showCalendars()
{
    if (!m_calendarsDialog)
        m_calendarsDialog = new CalendarsDialog(*m_calendars, *m_subscriptions, this);
    m_calendarsDialog->show();
    m_calendarsDialog->raise();
    m_calendarsDialog->activateWindow();
}

bool Form1::keepsAbove() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void Form1::keepAbove(bool above)
{
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, above);
    if (visible)
        show(); // a change of flags hides a window
    savePlace();
}

QString Form1::placeFile() const
{
    return StateFiles::in(m_options.stateDir, StateFiles::window);
}

void Form1::restorePlace()
{
    m_placeSaver.setSingleShot(true);
    m_placeSaver.setInterval(500);
    connect(&m_placeSaver, &QTimer::timeout, this, &Form1::savePlace);
    // On Wayland the compositor places the window and tells it nothing: the place kept
    // for an X11 session stays as it is for the next one.
    if (platform::nativeWayland())
        return;
    const WindowPlace::Place place = WindowPlace::read(placeFile());
    setWindowFlag(Qt::WindowStaysOnTopHint, place.keepAbove);
    if (!place.position)
        return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->geometry();
    move(WindowPlace::placeOn(*place.position, size(), screens));
}

void Form1::savePlace()
{
    if (platform::nativeWayland())
        return;
    QString error;
    if (!WindowPlace::write(placeFile(), {pos(), keepsAbove()}, &error))
        qCWarning(lcState) << "cannot keep the window's place:" << error;
}

void Form1::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    // Only the user's moves count: the window system's own (at the start, for instance)
    // leave the saved place alone.
    if (m_userMoving)
        m_placeSaver.start(); // once the move has come to rest
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (m_placeSaver.isActive())
        savePlace();
    QWidget::closeEvent(event);
}

void Form1::mousePressEvent(QMouseEvent* event)
{
    // Only presses on the bare skin arrive here: every control keeps its own.
    m_userMoving = true;
    platform::DragForm(this, event->globalPosition().toPoint(), [this] { m_userMoving = false; });
    event->accept();
}
