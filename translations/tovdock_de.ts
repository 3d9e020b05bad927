<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>tov::qt::DockWidget</name>
    <message>
        <source>Close</source>
        <translation>Element ausblenden</translation>
    </message>
    <message>
        <source>Collapse</source>
        <translation>Element zuklappen</translation>
    </message>
    <message>
        <source>Expand</source>
        <translation>Element aufklappen</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Einstellungen ändern</translation>
    </message>
    <message>
        <source>Drag to resize</source>
        <translation>Hier ziehen, um die Größe des Elements zu verändern</translation>
    </message>
    <message>
        <source>Drag to move</source>
        <translation>Element kann durch &apos;drag and drop&apos; verschoben werden</translation>
    </message>
    <message>
        <source>At least one pane must stay visible</source>
        <translation>Sie müssen mindestens ein Element sichtbar lassen!</translation>
    </message>
    <message>
        <source>Close %1</source>
        <translation>%1 ausblenden</translation>
    </message>
    <message>
        <source>Collapse %1</source>
        <translation>%1 zuklappen</translation>
    </message>
    <message>
        <source>Expand %1</source>
        <translation>%1 aufklappen</translation>
    </message>
    <message>
        <source>Options for %1</source>
        <translation>Einstellungen von %1 ändern</translation>
    </message>
    <message>
        <source>Resize %1</source>
        <translation>Größe von %1 ändern</translation>
    </message>
</context>
</TS>
