#include "Settings.h"

#include "Paths.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {

const char* const kProfileGroup = "viwer.text.profile_";

QColor rgb(const char* name, int alpha = 255)
{
    QColor c(name);
    c.setAlpha(alpha);
    return c;
}

void readProfile(QSettings& s, ReadingProfile& p)
{
    p.textFamily = s.value("profile.text.family", p.textFamily).toString();
    p.textSize = s.value("profile.text.size", p.textSize).toInt();
    p.textColor = s.value("profile.text.color", p.textColor).value<QColor>();
    p.textBold = s.value("profile.text.bold", p.textBold).toBool();
    p.textItalic = s.value("profile.text.italic", p.textItalic).toBool();
    p.captionFamily = s.value("profile.caption.family", p.captionFamily).toString();
    p.captionSize = s.value("profile.caption.size", p.captionSize).toInt();
    p.captionColor = s.value("profile.caption.color", p.captionColor).value<QColor>();
    p.captionBold = s.value("profile.caption.bold", p.captionBold).toBool();
    p.captionItalic = s.value("profile.caption.italic", p.captionItalic).toBool();
    p.bookShadow = s.value("profile.book_shadow", p.bookShadow).toBool();
    p.backgroundColor = s.value("profile.background_color", p.backgroundColor).value<QColor>();
    p.workgroundColor = s.value("profile.workground_color", p.workgroundColor).value<QColor>();
    p.pageNumberColor = s.value("profile.pagenum_color", p.pageNumberColor).value<QColor>();
    p.selectionColor = s.value("profile.selection_color", p.selectionColor).value<QColor>();
}

void writeProfile(QSettings& s, const ReadingProfile& p)
{
    s.setValue("profile.text.family", p.textFamily);
    s.setValue("profile.text.size", p.textSize);
    s.setValue("profile.text.color", p.textColor);
    s.setValue("profile.text.bold", p.textBold);
    s.setValue("profile.text.italic", p.textItalic);
    s.setValue("profile.caption.family", p.captionFamily);
    s.setValue("profile.caption.size", p.captionSize);
    s.setValue("profile.caption.color", p.captionColor);
    s.setValue("profile.caption.bold", p.captionBold);
    s.setValue("profile.caption.italic", p.captionItalic);
    s.setValue("profile.book_shadow", p.bookShadow);
    s.setValue("profile.background_color", p.backgroundColor);
    s.setValue("profile.workground_color", p.workgroundColor);
    s.setValue("profile.pagenum_color", p.pageNumberColor);
    s.setValue("profile.selection_color", p.selectionColor);
}

} // namespace

bool ReadingProfile::operator==(const ReadingProfile& o) const
{
    return textFamily == o.textFamily && textBold == o.textBold && textItalic == o.textItalic &&
           textSize == o.textSize && textColor == o.textColor && captionFamily == o.captionFamily &&
           captionBold == o.captionBold && captionItalic == o.captionItalic && captionSize == o.captionSize &&
           captionColor == o.captionColor && bookShadow == o.bookShadow &&
           backgroundColor == o.backgroundColor && workgroundColor == o.workgroundColor &&
           pageNumberColor == o.pageNumberColor && selectionColor == o.selectionColor;
}

ReadingProfile ReaderSettings::profile() const
{
    return profiles.value(currentProfile, profiles.value(Settings::Day, Settings::defaultProfile(0)));
}

bool ReaderSettings::operator==(const ReaderSettings& o) const
{
    return leftSpacing == o.leftSpacing && rightSpacing == o.rightSpacing && topSpacing == o.topSpacing &&
           bottomSpacing == o.bottomSpacing && lineSpacing == o.lineSpacing &&
           paragraphAlignment == o.paragraphAlignment && showFade == o.showFade &&
           currentProfile == o.currentProfile && profiles == o.profiles && columnCount == o.columnCount;
}

ReadingProfile Settings::defaultProfile(int index)
{
    ReadingProfile p;
    p.textFamily = p.captionFamily = QStringLiteral("Times New Roman");
    p.textSize = p.captionSize = 13;
    p.pageNumberColor = rgb("#757575");
    switch (index) {
    case Night:
        p.textColor = rgb("#486682");
        p.captionColor = rgb("#cac07c");
        p.backgroundColor = rgb("#010819");
        p.workgroundColor = rgb("#0f1536");
        p.selectionColor = rgb("#faf6d9");
        break;
    case Sepia:
        p.textColor = rgb("#412c1a");
        p.captionColor = rgb("#b5936c");
        p.backgroundColor = rgb("#f0e8d1");
        p.workgroundColor = rgb("#291503");
        p.selectionColor = rgb("#010819", 100);
        break;
    default:
        p.textColor = rgb("#000000");
        p.captionColor = rgb("#000000");
        p.backgroundColor = rgb("#f9f9f9");
        p.workgroundColor = rgb("#ffffff");
        p.selectionColor = rgb("#faf6d9");
        break;
    }
    return p;
}

QString Settings::profileName(int index)
{
    switch (index) {
    case Night:
        return QCoreApplication::translate("Settings", "Night");
    case Sepia:
        return QCoreApplication::translate("Settings", "Sepia");
    default:
        return QCoreApplication::translate("Settings", "Day");
    }
}

ReaderSettings Settings::defaults()
{
    ReaderSettings d;
    for (int i = Day; i <= Sepia; ++i)
        d.profiles.insert(i, defaultProfile(i));
    return d;
}

Settings::Settings()
{
    qRegisterMetaType<ReaderSettings>();
    load();
}

Settings* Settings::instance()
{
    static Settings* settings = new Settings;
    return settings;
}

void Settings::load()
{
    m_data = defaults();
    auto s = Paths::settings();
    m_data.showFade = s->value("showfade", m_data.showFade).toBool();
    s->beginGroup("viewer.text");
    m_data.leftSpacing = s->value("spacing.left", m_data.leftSpacing).toInt();
    m_data.rightSpacing = s->value("spacing.right", m_data.rightSpacing).toInt();
    m_data.topSpacing = s->value("spacing.up", m_data.topSpacing).toInt();
    m_data.bottomSpacing = s->value("spacing.down", m_data.bottomSpacing).toInt();
    m_data.lineSpacing = s->value("line_spacing", m_data.lineSpacing).toInt();
    m_data.paragraphAlignment = s->value("paragraph_alignment", m_data.paragraphAlignment).toInt();
    m_data.columnCount = s->value("column_count", m_data.columnCount).toInt();
    s->endGroup();
    m_data.currentProfile = s->value("viwer.text.profile", m_data.currentProfile).toInt();
    for (int i = Day; i <= Sepia; ++i) {
        ReadingProfile p = defaultProfile(i);
        s->beginGroup(kProfileGroup + QString::number(i));
        readProfile(*s, p);
        s->endGroup();
        m_data.profiles.insert(i, p);
    }
}

void Settings::save() const
{
    auto s = Paths::settings();
    s->setValue("showfade", m_data.showFade);
    s->beginGroup("viewer.text");
    s->setValue("spacing.left", m_data.leftSpacing);
    s->setValue("spacing.right", m_data.rightSpacing);
    s->setValue("spacing.up", m_data.topSpacing);
    s->setValue("spacing.down", m_data.bottomSpacing);
    s->setValue("line_spacing", m_data.lineSpacing);
    s->setValue("paragraph_alignment", m_data.paragraphAlignment);
    s->setValue("column_count", m_data.columnCount);
    s->endGroup();
    s->setValue("viwer.text.profile", m_data.currentProfile);
    for (int i = Day; i <= Sepia; ++i) {
        s->beginGroup(kProfileGroup + QString::number(i));
        writeProfile(*s, m_data.profiles.value(i, defaultProfile(i)));
        s->endGroup();
    }
    s->sync();
}

void Settings::setData(const ReaderSettings& data, bool silent)
{
    m_data = data;
    // A record handed in without all three profiles would lose them on the
    // next save; fill the gaps with the built-in ones.
    for (int i = Day; i <= Sepia; ++i) {
        if (!m_data.profiles.contains(i))
            m_data.profiles.insert(i, defaultProfile(i));
    }
    save();
    if (!silent)
        QMetaObject::invokeMethod(this, &Settings::riseChanged, Qt::QueuedConnection);
}

void Settings::resetProfiles()
{
    const bool fade = m_data.showFade;
    m_data = defaults();
    m_data.showFade = fade;
    save();
    QMetaObject::invokeMethod(this, &Settings::riseChanged, Qt::QueuedConnection);
}

void Settings::riseChanged()
{
    emit changed();
}
