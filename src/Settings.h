#pragma once

#include <QColor>
#include <QMap>
#include <QObject>
#include <QString>

/// One reading profile: fonts and colours of the reader.
struct ReadingProfile
{
    QString textFamily;
    bool textBold = false;
    bool textItalic = false;
    int textSize = 13;
    QColor textColor;
    QString captionFamily;
    bool captionBold = false;
    bool captionItalic = false;
    int captionSize = 13;
    QColor captionColor;
    bool bookShadow = false;
    QColor backgroundColor;
    QColor workgroundColor;
    QColor pageNumberColor;
    QColor selectionColor;

    bool operator==(const ReadingProfile& o) const;
    bool operator!=(const ReadingProfile& o) const { return !(*this == o); }
};

/// The reader's appearance record. Profiles always hold indexes 0 (Day),
/// 1 (Night) and 2 (Sepia).
struct ReaderSettings
{
    int leftSpacing = 30;
    int rightSpacing = 30;
    int topSpacing = 30;
    int bottomSpacing = 30;
    int lineSpacing = 0;
    int paragraphAlignment = 3;
    bool showFade = false;
    int currentProfile = 0;
    QMap<int, ReadingProfile> profiles;
    int columnCount = 2;

    /// The active profile (the Day profile when the index is out of range).
    ReadingProfile profile() const;

    bool operator==(const ReaderSettings& o) const;
    bool operator!=(const ReaderSettings& o) const { return !(*this == o); }
};

/// Holds the reader's appearance preferences in memory and writes every
/// change through to the settings file at once.
/// GUI thread only. Created on first use, lives until the process ends.
class Settings : public QObject
{
    Q_OBJECT
public:
    enum ProfileIndex
    {
        Day = 0,
        Night = 1,
        Sepia = 2
    };

    static Settings* instance();

    /// A copy of the current record.
    ReaderSettings data() const { return m_data; }
    /// Replaces the record and saves it; unless silent, changed() follows on
    /// the event loop (after the caller returns).
    void setData(const ReaderSettings& data, bool silent = false);

    /// The built-in record: defaults of every key and the three profiles.
    static ReaderSettings defaults();
    static ReadingProfile defaultProfile(int index);
    /// The display name of a profile index ("Day", "Night", "Sepia"), translated.
    static QString profileName(int index);

    /// Re-reads the record from the settings file (test seam; creation does
    /// this once).
    void load();

public slots:
    /// Back to the built-in record, keeping only the page-turn fade flag.
    void resetProfiles();
    void riseChanged();

signals:
    void changed();

private:
    Settings();
    void save() const;

    ReaderSettings m_data;
};

Q_DECLARE_METATYPE(ReaderSettings)
