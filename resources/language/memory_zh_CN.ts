<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DevelopViews::MemoryViewTab</name>
    <message>
        <source>Memory:</source>
        <translation>存储器：</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>地址：</translation>
    </message>
    <message>
        <source>Length:</source>
        <translation>长度：</translation>
    </message>
    <message>
        <source>Hexadecimal, e.g. 0x80000000</source>
        <translation>十六进制，例如 0x80000000</translation>
    </message>
    <message>
        <source>Bytes, decimal</source>
        <translation>字节数，十进制</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>读取</translation>
    </message>
    <message>
        <source>Erase</source>
        <translation>擦除</translation>
    </message>
    <message>
        <source>Erase All</source>
        <translation>全部擦除</translation>
    </message>
    <message>
        <source>Save...</source>
        <translation>保存...</translation>
    </message>
    <message>
        <source>Read the region into the viewer</source>
        <translation>将该区域读入查看器</translation>
    </message>
    <message>
        <source>Erase the region</source>
        <translation>擦除该区域</translation>
    </message>
    <message>
        <source>Erase the whole memory</source>
        <translation>擦除整个存储器</translation>
    </message>
    <message>
        <source>Save the bytes read, raw (.bin) or as text (.txt)</source>
        <translation>保存读取的字节，原始数据（.bin）或文本（.txt）</translation>
    </message>
    <message>
        <source>Erase %1 bytes of %2 from address %3?</source>
        <translation>从地址 %3 起擦除 %2 的 %1 个字节？</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Erase the whole %1? Everything it holds will be lost.</source>
        <translation>擦除整个 %1？其中的全部内容都将丢失。</translation>
    </message>
    <message>
        <source>The viewer holds at most %1 bytes; the rest of the read is not shown.</source>
        <translation>查看器最多容纳 %1 个字节，其余读取的数据不予显示。</translation>
    </message>
    <message>
        <source>%1 of %2 bytes read from %3</source>
        <translation>已从 %3 读取 %1 / %2 字节</translation>
    </message>
    <message>
        <source>%1 bytes read from %2</source>
        <translation>已从 %2 读取 %1 字节</translation>
    </message>
    <message>
        <source>Save Memory Data</source>
        <translation>保存存储器数据</translation>
    </message>
    <message>
        <source>Binary (*.bin);;Text (*.txt)</source>
        <translation>二进制文件 (*.bin);;文本文件 (*.txt)</translation>
    </message>
    <message>
        <source>Save memory data failed! Path: %1 Error: %2</source>
        <translation>保存存储器数据失败！路径：%1 错误：%2</translation>
    </message>
    <message>
        <source>Save memory data failed!
%1
%2</source>
        <translation>保存存储器数据失败！
%1
%2</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Memory data saved: %1 (%2 bytes)</source>
        <translation>存储器数据已保存：%1（%2 字节）</translation>
    </message>
    <message>
        <source>No memory is chosen!</source>
        <translation>未选择存储器！</translation>
    </message>
    <message>
        <source>Address is empty!</source>
        <translation>地址为空！</translation>
    </message>
    <message>
        <source>Length is empty!</source>
        <translation>长度为空！</translation>
    </message>
    <message>
        <source>The read ended after %1 of %2 bytes.</source>
        <translation>读取在 %1 / %2 字节处结束。</translation>
    </message>
</context>
</TS>
