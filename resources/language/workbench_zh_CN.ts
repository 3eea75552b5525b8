<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DevelopViews::RomCentralWidget</name>
    <message>
        <source>OTP</source>
        <translation>OTP</translation>
    </message>
    <message>
        <source>No device is connected: choose one in the device panel and press Connect.</source>
        <translation>未连接设备：请在设备面板中选择设备并点击“连接”。</translation>
    </message>
    <message>
        <source>Memory</source>
        <translation>内存</translation>
    </message>
    <message>
        <source>Commands</source>
        <translation>命令</translation>
    </message>
</context>
<context>
    <name>DevelopViews::RomDevicePanel</name>
    <message>
        <source>SoC:</source>
        <translation>芯片：</translation>
    </message>
    <message>
        <source>USB ROM devices:</source>
        <translation>USB ROM 设备：</translation>
    </message>
    <message>
        <source>UART:</source>
        <translation>串口：</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>Refresh the UART list</source>
        <translation>刷新串口列表</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>添加</translation>
    </message>
    <message>
        <source>Baud rate:</source>
        <translation>波特率：</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>Test the connection of the selected device and load the bootloader firmware when it runs the plain ROM</source>
        <translation>测试所选设备的连接；设备运行原始 ROM 时加载引导固件</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>断开</translation>
    </message>
    <message>
        <source>Cannot store the SoC %1 in the project</source>
        <translation>无法将芯片 %1 保存到工程中</translation>
    </message>
    <message>
        <source>SoC: %1</source>
        <translation>芯片：%1</translation>
    </message>
    <message>
        <source>USB ROM device removed: %1</source>
        <translation>USB ROM 设备已移除：%1</translation>
    </message>
    <message>
        <source>USB ROM device found: %1</source>
        <translation>发现 USB ROM 设备：%1</translation>
    </message>
    <message>
        <source>Detect UART: </source>
        <translation>检测到串口：</translation>
    </message>
    <message>
        <source>Remove UART: </source>
        <translation>移除串口：</translation>
    </message>
    <message>
        <source>Choose a USB ROM device or a serial port first</source>
        <translation>请先选择一个 USB ROM 设备或串口</translation>
    </message>
    <message>
        <source>Disconnected: %1</source>
        <translation>已断开：%1</translation>
    </message>
    <message>
        <source>No device connected</source>
        <translation>未连接设备</translation>
    </message>
    <message>
        <source>Testing the connection...</source>
        <translation>正在测试连接……</translation>
    </message>
    <message>
        <source>Other port by name</source>
        <translation>按名称添加其他端口</translation>
    </message>
    <message>
        <source>A port the system does not list, e.g. /dev/ttyUSB0 or a pseudo-terminal</source>
        <translation>系统未列出的端口，例如 /dev/ttyUSB0 或伪终端</translation>
    </message>
    <message>
        <source>Add the port to the UART list</source>
        <translation>将该端口加入串口列表</translation>
    </message>
</context>
<context>
    <name>DevelopViews::RomWorkbenchWindow</name>
    <message>
        <source>ROM Workbench</source>
        <translation>ROM 工作台</translation>
    </message>
    <message>
        <source>Device arrival and removal are not watched: %1</source>
        <translation>未监测设备的插入和移除：%1</translation>
    </message>
    <message>
        <source>ROM Devices</source>
        <translation>ROM 设备</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Program Settings...</source>
        <translation>程序设置……</translation>
    </message>
    <message>
        <source>Global Settings...</source>
        <translation>全局设置……</translation>
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
        <source>Language</source>
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
        <source>Commands run start!</source>
        <translation>命令开始执行！</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>设备</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>断开</translation>
    </message>
    <message>
        <source>Stop the Run</source>
        <translation>停止运行</translation>
    </message>
    <message>
        <source>Stop requested!</source>
        <translation>已请求停止！</translation>
    </message>
    <message>
        <source>Runs go to %1</source>
        <translation>命令发往 %1</translation>
    </message>
</context>
<context>
    <name>WorkbenchRules</name>
    <message>
        <source>Connected (ROM)</source>
        <translation>已连接（ROM）</translation>
    </message>
    <message>
        <source>Connected (bootloader firmware)</source>
        <translation>已连接（引导固件）</translation>
    </message>
    <message>
        <source>Connection failed</source>
        <translation>连接失败</translation>
    </message>
    <message>
        <source>Device report: %1</source>
        <translation>设备报告：%1</translation>
    </message>
    <message>
        <source>  ROM version: %1 (%2)</source>
        <translation>  ROM 版本：%1（%2）</translation>
    </message>
    <message>
        <source>bootloader firmware</source>
        <translation>引导固件</translation>
    </message>
    <message>
        <source>plain ROM</source>
        <translation>原始 ROM</translation>
    </message>
    <message>
        <source>not a ROM version</source>
        <translation>不是 ROM 版本</translation>
    </message>
    <message>
        <source>  SoC revision: %1</source>
        <translation>  芯片版本：%1</translation>
    </message>
    <message>
        <source>  Life cycle: %1</source>
        <translation>  生命周期：%1</translation>
    </message>
    <message>
        <source>  Result: %1</source>
        <translation>  结果：%1</translation>
    </message>
</context>
</TS>
