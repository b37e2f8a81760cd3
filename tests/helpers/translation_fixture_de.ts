<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Test fixture: a German translation holding only the language's name. -->
<TS version="2.1" language="de_DE">
<context>
    <name>SettingsView</name>
    <message>
        <source>English</source>
        <translation>Deutsch</translation>
    </message>
</context>
</TS>
