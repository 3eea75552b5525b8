<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DemoRig</name>
    <message>
        <source>Demo on simulated devices</source>
        <translation>演示版（模拟设备）</translation>
    </message>
    <message>
        <source>Demo</source>
        <translation>演示</translation>
    </message>
    <message>
        <source>Unplug the Krel box</source>
        <translation>拔下 Krel</translation>
    </message>
    <message>
        <source>Plug the Krel box in again</source>
        <translation>重新插入 Krel</translation>
    </message>
    <message>
        <source>Plug in a second Krel box</source>
        <translation>插入第二台 Krel</translation>
    </message>
    <message>
        <source>Unplug the second Krel box</source>
        <translation>拔下第二台 Krel</translation>
    </message>
</context>
</TS>
