<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The program's texts are written in English; this file names the
     language, so that the settings page lists English, and gives the plural
     forms of the texts that count. Kept by hand. -->
<TS version="2.1" language="en_GB">
<context>
    <name>AddBooksWorker</name>
    <message numerus="yes">
        <source>%n file(s) were added but cannot be opened:</source>
        <translation>
            <numerusform>%n file was added but cannot be opened:</numerusform>
            <numerusform>%n files were added but cannot be opened:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>and %n more</numerusform>
            <numerusform>and %n more</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
</context>
</TS>
