#include "SettingsView.h"

#include "Application.h"
#include "ColorPicker.h"
#include "ComboBoxItemDelegate.h"
#include "FileDialogs.h"
#include "FontSizeEdit.h"
#include "Paths.h"
#include "Settings.h"
#include "Translations.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
const int kFolderLabelWidth = 390;
// Wider than the 136 pixels the page was drawn for: Linux's default fonts
// are wider, and "Times New Roman" must not be cut off.
const QSize kComboSize(172, 37);
const QSize kPickerSize(60, 30);

enum Tab
{
    ProfilesTab = 0,
    SystemTab = 1
};

// One page of the stack: a form in a "settingBox" frame that scrolls when
// the window is too low to show it whole.
QFormLayout* makeFormPage(QWidget* parent, QWidget** page)
{
    auto* scroll = new QScrollArea(parent);
    scroll->setObjectName("settingsScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* box = new QFrame(scroll);
    box->setObjectName("settingBox");
    auto* form = new QFormLayout(box);
    form->setContentsMargins(32, 14, 32, 14);
    form->setHorizontalSpacing(18);
    form->setVerticalSpacing(8);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    scroll->setWidget(box);
    *page = scroll;
    return form;
}
// A form puts a label at the top of its row: as high as the field, the
// label's own vertical centring lines it up with the field's text.
void addRow(QFormLayout* form, QLabel* label, QWidget* field, int height = 0)
{
    label->setMinimumHeight(height > 0 ? height : field->minimumHeight());
    form->addRow(label, field);
}

void addRow(QFormLayout* form, QLabel* label, QLayout* field, int height)
{
    label->setMinimumHeight(height);
    form->addRow(label, field);
}
} // namespace

SettingsView::SettingsView(QWidget* parent) : SidePage(parent)
{
    setObjectName("settingsViewContent");
    setMinimumWidth(560);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(buildHeader());
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName("settingsPages");
    m_pages->insertWidget(ProfilesTab, buildProfilesPage());
    m_pages->insertWidget(SystemTab, buildSystemPage());
    outer->addWidget(m_pages, 1);
    outer->addWidget(buildCommandBox());

    retranslate();
    showTab(ProfilesTab);

    connect(m_save, &QPushButton::clicked, this, &SettingsView::saveSettings);
    connect(m_cancel, &QPushButton::clicked, this, &SettingsView::cancel);
    connect(m_back, &QPushButton::clicked, this, &SettingsView::cancel);
    connect(m_close, &QPushButton::clicked, this, &SettingsView::cancel);
    connect(m_profile, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &SettingsView::onProfileChanged);
    connect(m_openFolder, &QPushButton::clicked, this, &SettingsView::onSelectLibraryFolder);
    connect(m_restore, &QPushButton::clicked, this, &SettingsView::onResetDeaultProfiles);
    connect(m_tabProfiles, &QPushButton::clicked, this, [this] { showTab(ProfilesTab); });
    connect(m_tabSystem, &QPushButton::clicked, this, [this] { showTab(SystemTab); });
}

QStringList SettingsView::fontFamilies()
{
    return {"Times New Roman", "Arial", "Courier New", "Courier", "Georgia", "Tahoma", "Verdana", "Segoe UI"};
}

// ---------------------------------------------------------------- building

QWidget* SettingsView::buildHeader()
{
    auto* header = new QFrame(this);
    header->setObjectName("settingsHeader");
    auto* column = new QVBoxLayout(header);
    column->setContentsMargins(24, 16, 24, 0);
    column->setSpacing(10);

    auto* top = new QHBoxLayout;
    top->setSpacing(10);
    m_back = new QPushButton(header);
    m_back->setObjectName("buttonNavigateBack");
    m_back->setFixedSize(28, 28);
    m_back->setCursor(Qt::PointingHandCursor);
    m_title = new QLabel(header);
    m_title->setObjectName("settingsLabel");
    m_close = new QPushButton(header);
    m_close->setObjectName("buttonCloseSettings");
    m_close->setFixedSize(28, 28);
    m_close->setCursor(Qt::PointingHandCursor);
    top->addWidget(m_back);
    top->addWidget(m_title, 1);
    top->addWidget(m_close);
    column->addLayout(top);

    auto* tabs = new QHBoxLayout;
    tabs->setContentsMargins(8, 0, 0, 0);
    tabs->setSpacing(4);
    auto* group = new QButtonGroup(header);
    for (QPushButton** tab : {&m_tabProfiles, &m_tabSystem}) {
        *tab = new QPushButton(header);
        (*tab)->setCheckable(true);
        (*tab)->setCursor(Qt::PointingHandCursor);
        (*tab)->setFixedHeight(34);
        group->addButton(*tab);
        tabs->addWidget(*tab);
    }
    m_tabProfiles->setObjectName("buttonTabProfiles");
    m_tabSystem->setObjectName("buttonTabSystem");
    tabs->addStretch(1);
    column->addLayout(tabs);
    return header;
}

QComboBox* SettingsView::makeCombo(const QString& name, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setFixedSize(kComboSize);
    combo->setItemDelegate(new ComboBoxItemDelegate(combo));
    return combo;
}

QLabel* SettingsView::makeLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName("settingsFieldLabel");
    return label;
}

QWidget* SettingsView::buildProfilesPage()
{
    QWidget* page = nullptr;
    QFormLayout* form = makeFormPage(this, &page);
    QWidget* box = form->parentWidget();

    m_profileLabel = makeLabel(box);
    m_profile = makeCombo("comboProfile", box);
    m_profile->setFixedHeight(37);
    m_profile->setMinimumWidth(kComboSize.width());
    m_profile->setMaximumWidth(QWIDGETSIZE_MAX);
    m_profile->setIconSize(QSize(32, 24));
    const char* const icons[] = {":/style/images/settings/profile_day.png",
                                 ":/style/images/settings/profile_night.png",
                                 ":/style/images/settings/profile_sepia.png"};
    for (int index : {int(Settings::Day), int(Settings::Night), int(Settings::Sepia)})
        m_profile->addItem(QIcon(QLatin1String(icons[index])), Settings::profileName(index), index);
    addRow(form, m_profileLabel, m_profile);

    m_restore = new QPushButton(box);
    m_restore->setObjectName("buttonRestoreProfiles");
    m_restore->setCursor(Qt::PointingHandCursor);
    form->addRow(QString(), m_restore);

    auto* underline = new QFrame(box);
    underline->setObjectName("underlineBox");
    underline->setFixedHeight(1);
    form->addRow(underline);

    auto fontRow = [&](QLabel** label, QComboBox** family, FontSizeEdit** size, const QString& name) {
        *label = makeLabel(box);
        *family = makeCombo(name, box);
        for (const QString& f : fontFamilies())
            (*family)->addItem(f, f);
        *size = new FontSizeEdit(box);
        auto* row = new QHBoxLayout;
        row->setSpacing(10);
        row->addWidget(*family);
        row->addWidget(*size);
        row->addStretch(1);
        addRow(form, *label, row, kComboSize.height());
    };
    auto colorRow = [&](QLabel** label, ColorPicker** picker, const QString& name) {
        *label = makeLabel(box);
        *picker = new ColorPicker(box);
        (*picker)->setObjectName(name);
        (*picker)->setFixedSize(kPickerSize);
        addRow(form, *label, *picker);
    };
    fontRow(&m_textFontLabel, &m_textFont, &m_textSize, "comboTextFont");
    colorRow(&m_textColorLabel, &m_textColor, "colorPickerText");
    fontRow(&m_captionFontLabel, &m_captionFont, &m_captionSize, "comboCaptionFont");
    colorRow(&m_captionColorLabel, &m_captionColor, "colorPickerCaption");
    colorRow(&m_backgroundLabel, &m_background, "colorPickerBackground");
    colorRow(&m_workgroundLabel, &m_workground, "colorPickerWorkground");

    auto* white = new QFrame(box);
    white->setObjectName("whiteBox");
    form->addRow(white);
    return page;
}

QWidget* SettingsView::buildSystemPage()
{
    QWidget* page = nullptr;
    QFormLayout* form = makeFormPage(this, &page);
    QWidget* box = form->parentWidget();

    m_folderCaption = makeLabel(box);
    auto* folderBox = new QFrame(box);
    folderBox->setObjectName("boxBorderGray");
    folderBox->setFixedHeight(36);
    auto* folderRow = new QHBoxLayout(folderBox);
    folderRow->setContentsMargins(10, 0, 4, 0);
    m_folder = new QLabel(folderBox);
    m_folder->setObjectName("labelLibraryFolder");
    m_folder->setTextFormat(Qt::PlainText);
    m_folder->setMinimumWidth(kFolderLabelWidth);
    m_openFolder = new QPushButton(folderBox);
    m_openFolder->setObjectName("buttonOpenFolder");
    m_openFolder->setFixedSize(28, 28);
    m_openFolder->setCursor(Qt::PointingHandCursor);
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_openFolder);
    addRow(form, m_folderCaption, folderBox);

    m_languageLabel = makeLabel(box);
    m_language = makeCombo("comboLanguage", box);
    fillLanguages();
    addRow(form, m_languageLabel, m_language);

    m_fadeLabel = makeLabel(box);
    m_fade = new QCheckBox(box);
    m_fade->setObjectName("checkBoxFade");
    m_fade->setCursor(Qt::PointingHandCursor);
    addRow(form, m_fadeLabel, m_fade, 24);
    return page;
}

QWidget* SettingsView::buildCommandBox()
{
    auto* box = new QFrame(this);
    box->setObjectName("settingsViewCommadBox");
    box->setFixedHeight(67);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(32, 0, 32, 0);
    row->setSpacing(12);
    row->addStretch(1);
    m_cancel = new QPushButton(box);
    m_cancel->setObjectName("buttonCancel");
    m_cancel->setFixedHeight(42);
    m_cancel->setMinimumWidth(110);
    m_cancel->setCursor(Qt::PointingHandCursor);
    m_save = new QPushButton(box);
    m_save->setObjectName("buttonSaveSettings");
    m_save->setFixedHeight(42);
    m_save->setMinimumWidth(160);
    m_save->setCursor(Qt::PointingHandCursor);
    m_save->setDefault(true);
    row->addWidget(m_cancel);
    row->addWidget(m_save);
    return box;
}

void SettingsView::fillLanguages()
{
    for (const Translations::Language& language : Translations::available()) {
        // A file that does not name its language still has to be recognisable.
        const QString text = language.name.isEmpty() ? language.code : language.name;
        m_language->addItem(text, language.code);
    }
}

void SettingsView::showTab(int index)
{
    m_pages->setCurrentIndex(index);
    m_tabProfiles->setChecked(index == ProfilesTab);
    m_tabSystem->setChecked(index == SystemTab);
    // The window focuses the page when it slides in: the keyboard starts
    // on the open tab.
    setFocusProxy(index == ProfilesTab ? m_tabProfiles : m_tabSystem);
}

void SettingsView::retranslate()
{
    m_title->setText(tr("Settings"));
    m_back->setToolTip(tr("Back"));
    m_close->setToolTip(tr("Close"));
    m_tabProfiles->setText(tr("Profiles"));
    m_tabSystem->setText(tr("System"));

    m_profileLabel->setText(tr("Profile:"));
    for (int i = 0; i < m_profile->count(); ++i)
        m_profile->setItemText(i, Settings::profileName(m_profile->itemData(i).toInt()));
    m_restore->setText(tr("Restore Default Settings"));
    m_textFontLabel->setText(tr("Text Font:"));
    m_captionFontLabel->setText(tr("Caption:"));
    for (QLabel* color : {m_textColorLabel, m_captionColorLabel})
        color->setText(tr("Color:"));
    m_backgroundLabel->setText(tr("Background color:"));
    m_workgroundLabel->setText(tr("Workground color:"));
    const QString choose = tr("Click to choose a color");
    for (ColorPicker* picker : {m_textColor, m_captionColor, m_background, m_workground})
        picker->setToolTip(choose);

    m_folderCaption->setText(tr("Library folder:"));
    m_openFolder->setToolTip(tr("Select library folder"));
    m_languageLabel->setText(tr("Language:"));
    m_fadeLabel->setText(tr("Turn page fade ON:"));

    m_save->setText(tr("SAVE SETTINGS"));
    m_cancel->setText(tr("CANCEL"));
    updateFolderLabel();
}

// ---------------------------------------------------------------- loading

void SettingsView::loadSettings()
{
    {
        const auto settings = Application::settings();
        selectLanguage(settings->value("Language").toString());
        m_libraryFolder = settings->value("library_folder", Paths::importFolder()).toString();
    }
    updateFolderLabel();

    const ReaderSettings data = Settings::instance()->data();
    const int item = m_profile->findData(data.currentProfile);
    if (item >= 0)
        m_profile->setCurrentIndex(item);
    fillProfile(data.profiles.value(m_profile->currentData().toInt()));
    m_fade->setChecked(data.showFade);
}

void SettingsView::selectLanguage(const QString& stored)
{
    // Show the language the program is really in: with no stored choice that
    // is the system's (as the loader picks it), and a language without a
    // file leaves the program in English.
    const QString wanted = stored.isEmpty() ? QLocale::system().name().left(2) : stored;
    int item = m_language->findData(wanted, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (item < 0)
        item = m_language->findData(QStringLiteral("en"), Qt::UserRole, Qt::MatchExactly);
    if (item < 0 && m_language->count() > 0)
        item = 0;
    m_language->setCurrentIndex(item);
}

void SettingsView::fillProfile(const ReadingProfile& profile)
{
    auto selectFamily = [](QComboBox* combo, const QString& family) {
        const int item = family.isEmpty() ? -1 : combo->findData(family, Qt::UserRole, Qt::MatchExactly);
        combo->setCurrentIndex(qMax(0, item));
    };
    selectFamily(m_textFont, profile.textFamily);
    m_textSize->setValue(profile.textSize);
    m_textColor->changeColor(profile.textColor);
    selectFamily(m_captionFont, profile.captionFamily);
    m_captionSize->setValue(profile.captionSize);
    m_captionColor->changeColor(profile.captionColor);
    m_background->changeColor(profile.backgroundColor);
    m_workground->changeColor(profile.workgroundColor);
}

void SettingsView::updateFolderLabel()
{
    if (!m_folder)
        return;
    const QFontMetrics metrics(m_folderCaption->font());
    m_folder->setText(metrics.elidedText(m_libraryFolder, Qt::ElideRight, kFolderLabelWidth));
    m_folder->setToolTip(m_libraryFolder);
}

// ---------------------------------------------------------------- slots

void SettingsView::onProfileChanged(int index)
{
    if (index < 0)
        return;
    const int profile = m_profile->itemData(index).toInt();
    fillProfile(Settings::instance()->data().profiles.value(profile, Settings::defaultProfile(profile)));
}

void SettingsView::saveSettings()
{
    {
        const auto settings = Application::settings();
        settings->setValue("Language", m_language->currentData().toString());
        settings->setValue("library_folder", m_libraryFolder);
    }

    ReaderSettings data = Settings::instance()->data();
    data.showFade = m_fade->isChecked();
    data.currentProfile = m_profile->currentData().toInt();
    ReadingProfile profile = data.profiles.value(data.currentProfile);
    profile.backgroundColor = m_background->color();
    profile.workgroundColor = m_workground->color();
    profile.textFamily = m_textFont->currentData().toString();
    profile.textSize = m_textSize->value();
    profile.textColor = m_textColor->color();
    profile.textBold = false;
    profile.textItalic = false;
    profile.captionFamily = m_captionFont->currentData().toString();
    profile.captionSize = m_captionSize->value();
    profile.captionColor = m_captionColor->color();
    profile.captionBold = false;
    profile.captionItalic = false;
    data.profiles.insert(data.currentProfile, profile);
    Settings::instance()->setData(data);

    if (Application* app = Application::instance())
        app->loadTranslator();
    emit onHideWindow();
}

void SettingsView::cancel()
{
    emit onHideWindow();
}

void SettingsView::onClose()
{
    emit onHideWindow();
}

void SettingsView::onSelectLibraryFolder()
{
    const QString folder =
        FileDialogs::existingDirectory(this, tr("Select library folder"), m_libraryFolder, false);
    if (folder.isEmpty())
        return;
    m_libraryFolder = QDir::toNativeSeparators(folder);
    updateFolderLabel();
}

void SettingsView::onResetDeaultProfiles()
{
    Settings::instance()->resetProfiles();
    loadSettings();
}

// ---------------------------------------------------------------- events

void SettingsView::showEvent(QShowEvent* event)
{
    // Each visit starts from what is stored: unsaved edits are dropped.
    loadSettings();
    SidePage::showEvent(event);
}

void SettingsView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    SidePage::changeEvent(event);
}
