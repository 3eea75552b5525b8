<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AboutDlg</name>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Version: %1</source>
        <translation>版本：%1</translation>
    </message>
    <message>
        <source>Copyright (C) Veltrix. This software is the property of Veltrix.</source>
        <translation>版权所有 (C) Veltrix。本软件为 Veltrix 所有。</translation>
    </message>
    <message>
        <source>All rights reserved</source>
        <translation>保留所有权利</translation>
    </message>
    <message>
        <source>Built with Qt %1 (running on Qt %2).</source>
        <translation>基于 Qt %1 构建（运行于 Qt %2）。</translation>
    </message>
    <message>
        <source>Icons and logo drawn for this tool.</source>
        <translation>图标与标志为本工具专门绘制。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Log folder: %1
Settings folder: %2
Data folder: %3</source>
        <translation>日志文件夹：%1
设置文件夹：%2
数据文件夹：%3</translation>
    </message>
</context>
<context>
    <name>DevelopViews::CentralWidget</name>
    <message>
        <source>Program Config</source>
        <translation>烧录配置</translation>
    </message>
    <message>
        <source>Burn Configuration</source>
        <translation>烧录配置</translation>
    </message>
</context>
<context>
    <name>DevelopViews::DockBaseTitleWidget</name>
    <message>
        <source>Float</source>
        <translation>浮动</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>DevelopViews::LoadingWidget</name>
    <message>
        <source>Please wait while loading...</source>
        <translation>正在加载，请稍候……</translation>
    </message>
    <message>
        <source>Run command, the number of commands is 0</source>
        <translation>执行命令，命令总数为 0</translation>
    </message>
</context>
<context>
    <name>DevelopViews::LogDock</name>
    <message>
        <source>Log Window</source>
        <translation>日志窗口</translation>
    </message>
</context>
<context>
    <name>DevelopViews::LogDockTitleWidget</name>
    <message>
        <source>Clear the log</source>
        <translation>清空日志</translation>
    </message>
</context>
<context>
    <name>DevelopViews::MainWindow</name>
    <message>
        <source>Device arrival and removal are not watched: %1</source>
        <translation>无法监测设备的插入与拔出：%1</translation>
    </message>
    <message>
        <source>Views</source>
        <translation>视图</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>帮助</translation>
    </message>
    <message>
        <source>User Guide</source>
        <translation>用户手册</translation>
    </message>
    <message>
        <source>Lanugage</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Chinese</source>
        <translation>中文</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>Can not find document </source>
        <translation>找不到文档 </translation>
    </message>
    <message>
        <source>The user manual is missing. It should be at:
%1</source>
        <translation>用户手册缺失，它应位于：
%1</translation>
    </message>
    <message>
        <source>Can not open document %1: no program to show HTML files is set up</source>
        <translation>无法打开文档 %1：系统未设置用于显示 HTML 文件的程序</translation>
    </message>
    <message>
        <source>Commands run start!</source>
        <translation>命令开始执行！</translation>
    </message>
    <message>
        <source>OTP Warning</source>
        <translation>OTP 警告</translation>
    </message>
    <message>
        <source>There are OTP words in OTP write view, please ensure that words are wrote or synchronized to batch command list!</source>
        <translation>OTP 写入视图中还有 OTP 字，请确认这些字已写入设备或已同步到批量命令列表！</translation>
    </message>
    <message>
        <source>Enter OTP write view</source>
        <translation>进入 OTP 写入视图</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
</context>
<context>
    <name>DevelopViews::PlainTextBrowser</name>
    <message>
        <source>Save Log</source>
        <translation>保存日志</translation>
    </message>
    <message>
        <source>Text (*.txt *.log)</source>
        <translation>文本 (*.txt *.log)</translation>
    </message>
    <message>
        <source>Cannot save the log to %1: %2</source>
        <translation>无法将日志保存到 %1：%2</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>清空</translation>
    </message>
    <message>
        <source>Save As...</source>
        <translation>另存为……</translation>
    </message>
</context>
<context>
    <name>GlobalSettingDlg</name>
    <message>
        <source>Global Settings Dialog</source>
        <translation>全局设置</translation>
    </message>
    <message>
        <source>Connect Settings</source>
        <translation>连接设置</translation>
    </message>
    <message>
        <source>Program Settings</source>
        <translation>烧录设置</translation>
    </message>
    <message>
        <source>1. Bootloader firmware type select</source>
        <translation>1. 引导固件类型选择</translation>
    </message>
    <message>
        <source>Auto select firmware by SoC life cycle.</source>
        <translation>根据 SoC 生命周期自动选择固件。</translation>
    </message>
    <message>
        <source>If life cycle is secure, signed firmware will be used as default. If signed firmware exists and can be loaded by current life cycle. Signed firmware will be used at first.</source>
        <translation>若生命周期为安全状态，默认使用签名固件。若签名固件存在且当前生命周期可以加载，则优先使用签名固件。</translation>
    </message>
    <message>
        <source>Use unsigned firmware.</source>
        <translation>使用未签名固件。</translation>
    </message>
    <message>
        <source>Use signed firmware.</source>
        <translation>使用签名固件。</translation>
    </message>
    <message>
        <source>2. Load bootloader firmware baudrate select</source>
        <translation>2. 加载引导固件的波特率选择</translation>
    </message>
    <message>
        <source>Use 115200 baudrate to load bootloader firmware.</source>
        <translation>使用 115200 波特率加载引导固件。</translation>
    </message>
    <message>
        <source>The tool will use 115200 baudrate to load bootloader firmware to ensure that firmware can be loaded success.</source>
        <translation>工具将使用 115200 波特率加载引导固件，以确保固件能够成功加载。</translation>
    </message>
    <message>
        <source>Use baudrate that user set to load bootloader firmware.</source>
        <translation>使用用户设置的波特率加载引导固件。</translation>
    </message>
    <message>
        <source>The tool will use baudrate that user set to load bootloader firmware. Maybe this will accelerate the speed if you use a large baudrate, but there is a risk of not being able to connect.</source>
        <translation>工具将使用用户设置的波特率加载引导固件。使用较高的波特率可能会加快速度，但存在无法连接的风险。</translation>
    </message>
    <message>
        <source>1. Program command timeout setting</source>
        <translation>1. 烧录命令超时设置</translation>
    </message>
    <message>
        <source>Default timeout time</source>
        <translation>默认超时时间</translation>
    </message>
    <message>
        <source>The default timeout for one program is 10s and the time will be extended if you use erase command to ensure erase command execute success. You can custom the timeout time by select the custom timeout option.</source>
        <translation>单次烧录的默认超时时间为 10 秒；使用擦除命令时会自动延长，以确保擦除命令执行成功。选择自定义超时选项即可自定义超时时间。</translation>
    </message>
    <message>
        <source>Custom timeout time(unit:ms)</source>
        <translation>自定义超时时间（单位：毫秒）</translation>
    </message>
    <message>
        <source>2. In Production mode serial port auto connect setting</source>
        <translation>2. 量产模式下串口自动连接设置</translation>
    </message>
    <message>
        <source>Auto connect the same port when the port is connected.</source>
        <translation>端口接入时自动连接同一端口。</translation>
    </message>
    <message>
        <source>The tool will connect the same port when the port is connected in production mode. If you don&apos;t want to use this and reset the port parameters, you can unselect this checkbox.</source>
        <translation>量产模式下，端口接入时工具将自动连接同一端口。如果不想使用此功能并希望重新设置端口参数，请取消勾选此项。</translation>
    </message>
    <message>
        <source>3. In Production mode which device state can be started</source>
        <translation>3. 量产模式下可启动的设备状态</translation>
    </message>
    <message>
        <source>All the state of the device can be started when the start button click.</source>
        <translation>点击开始按钮时，任何状态的设备都可以启动。</translation>
    </message>
    <message>
        <source>If you unselect this checkbox and the device is programed success in production mode, the device will not be programmed again even if you restart the button.</source>
        <translation>如果取消勾选此项，量产模式下已烧录成功的设备即使再次点击开始按钮也不会被重新烧录。</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>ProgramSettingDlg</name>
    <message>
        <source>Program Settings Dialog</source>
        <translation>烧录设置</translation>
    </message>
    <message>
        <source>Auto connect the same port when the port is connected.</source>
        <translation>端口接入时自动连接同一端口。</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>RunReport</name>
    <message>
        <source>There is no command to be executed!</source>
        <translation>没有需要执行的命令！</translation>
    </message>
    <message>
        <source>Commands run finish! Result: </source>
        <translation>命令执行完成！结果：</translation>
    </message>
    <message>
        <source>success!</source>
        <translation>成功！</translation>
    </message>
    <message>
        <source>failed!</source>
        <translation>失败！</translation>
    </message>
    <message>
        <source>%1st</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>%1nd</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>%1rd</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>%1th</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>Run %1 command, the number of commands is %2</source>
        <translation>正在执行第 %1 条命令，命令总数为 %2</translation>
    </message>
</context>
</TS>
