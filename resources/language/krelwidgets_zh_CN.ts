<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DevelopViews::ImageProgrammeTab</name>
    <message>
        <location filename="../../src/krel/widgets/imageprogrammetab.cpp" line="+270"/>
        <source>Basic Settings</source>
        <translation>基本设置</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>MCU: </source>
        <translation>MCU：</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Remove this custom SoC</source>
        <translation>删除此自定义 SoC</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mode: </source>
        <translation>模式：</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>ManualMode</source>
        <translation>手动模式</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>AutoMode</source>
        <translation>自动模式</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>MachineMode</source>
        <translation>机台模式</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Uart Baudrate: </source>
        <translation>串口波特率：</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Beep Enable: </source>
        <translation>蜂鸣器使能：</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>5V Enable: </source>
        <translation>5V 使能：</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Image</source>
        <translation>镜像</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>With Boot Image</source>
        <translation>带启动镜像</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>With Boot Image, the tool will detect the image to ensure whether the image is correspond with the SoC&apos;s boot image and obtain the program address automatically</source>
        <translation>带启动镜像时，工具会检测镜像是否为该 SoC 的启动镜像，并自动获取烧录地址</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Without Boot Image</source>
        <translation>不带启动镜像</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Without Boot Image, You need to set the Flash configuration items manually.</source>
        <translation>不带启动镜像时，需要手动设置 Flash 配置项。</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Memory Type: </source>
        <translation>存储器类型：</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+216"/>
        <source>Sector Index: </source>
        <translation>扇区索引：</translation>
    </message>
    <message>
        <location line="-216"/>
        <location line="+219"/>
        <source>Program Address: </source>
        <translation>烧录地址：</translation>
    </message>
    <message>
        <location line="-218"/>
        <location line="+15"/>
        <location line="+547"/>
        <source>Hexadecimal Format, example: 0xFFFF</source>
        <translation>十六进制格式，例如：0xFFFF</translation>
    </message>
    <message>
        <location line="-561"/>
        <source>Image File Path: </source>
        <translation>镜像文件路径：</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+3"/>
        <location line="+501"/>
        <location line="+6"/>
        <location line="+9"/>
        <source>Select</source>
        <translation>选择</translation>
    </message>
    <message>
        <location line="-518"/>
        <source>Flash Word: </source>
        <translation>Flash 配置字：</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>OTP Program</source>
        <translation>OTP 烧写</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Flash Options</source>
        <translation>Flash 配置项</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Option</source>
        <translation>配置项</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Value</source>
        <translation>值</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Additional Files</source>
        <translation>附加文件</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Add File</source>
        <translation>添加文件</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+547"/>
        <source>Program Address:</source>
        <translation>烧录地址：</translation>
    </message>
    <message>
        <location line="-546"/>
        <location line="+554"/>
        <source>File Path:</source>
        <translation>文件路径：</translation>
    </message>
    <message>
        <location line="-553"/>
        <location line="+557"/>
        <source>Remove this file</source>
        <translation>移除此文件</translation>
    </message>
    <message>
        <location line="-553"/>
        <source>Image Edit</source>
        <translation>镜像编辑</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Edit the image or the OTP data with the image helper</source>
        <translation>使用镜像助手编辑镜像或 OTP 数据</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Write Config</source>
        <translation>写入配置</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Write Configuration to Krel</source>
        <translation>将配置写入 Krel</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Export Config</source>
        <translation>导出配置</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Export Configurations to Computer Disk</source>
        <translation>将配置导出到电脑磁盘</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>Custom SoC based on %1</source>
        <translation>基于 %1 的自定义 SoC</translation>
    </message>
    <message>
        <location line="+52"/>
        <location line="+354"/>
        <source>File not found! Path: </source>
        <translation>文件不存在！路径：</translation>
    </message>
    <message>
        <location line="-301"/>
        <location line="+308"/>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <location line="-307"/>
        <source>Do you really want to remove the custom SoC: </source>
        <translation>确定要删除自定义 SoC：</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Custom SoC removed: </source>
        <translation>已删除自定义 SoC：</translation>
    </message>
    <message>
        <location line="+218"/>
        <source>Flash words are not valid: </source>
        <translation>Flash 配置字无效：</translation>
    </message>
    <message>
        <location line="+66"/>
        <source>The image file is empty! Path: </source>
        <translation>镜像文件为空！路径：</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Can not find flash config or boot header in this image! Please select the correct image after editing with the VLX Micro Programmer tool.</source>
        <translation>在此镜像中找不到 Flash 配置或启动头！请使用 VLX Micro Programmer 工具编辑后选择正确的镜像。</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Bin (*.bin)</source>
        <translation>二进制文件 (*.bin)</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Info (*.info)</source>
        <translation>Info 文件 (*.info)</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>OTP File not found! Path: </source>
        <translation>OTP 文件不存在！路径：</translation>
    </message>
    <message>
        <location line="+84"/>
        <source>Cannot find </source>
        <translation>找不到 </translation>
    </message>
    <message>
        <location line="+36"/>
        <source>Cannot start </source>
        <translation>无法启动 </translation>
    </message>
    <message>
        <location line="+87"/>
        <source>Open Directory</source>
        <translation>打开目录</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Writing the configuration...</source>
        <translation>正在写入配置...</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The configuration was written.</source>
        <translation>配置已写入。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A file could not be copied; the configuration was not written.</source>
        <translation>有文件复制失败，配置未写入。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>A file does not exist; the configuration was not written.</source>
        <translation>有文件不存在，配置未写入。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The removable drives could not be listed.</source>
        <translation>无法列出可移动磁盘。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No Krel drive found. Connect the Krel and log in first.</source>
        <translation>未找到 Krel 磁盘。请先连接 Krel 并登录。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>More than one Krel drive found. Keep only one Krel connected.</source>
        <translation>检测到多个 Krel 磁盘。请只保留一个 Krel 连接。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The destination folder does not exist.</source>
        <translation>目标文件夹不存在。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Unknown write job.</source>
        <translation>未知的写入任务。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Not enough free space for the files; nothing was copied.</source>
        <translation>剩余空间不足，未复制任何文件。</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The configuration was not written (status %1).</source>
        <translation>配置未写入（状态 %1）。</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Write Config failed: </source>
        <translation>写入配置失败：</translation>
    </message>
</context>
</TS>
