<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The program's texts are written in English; this file only names the
     language, so that the settings page lists English. Kept by hand. -->
<TS version="2.1" language="en_GB">
<context>
    <name>SettingsView</name>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
</context>
</TS>
