<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DevelopViews::DeviceDock</name>
    <message>
        <source>Device Window</source>
        <translation>设备窗口</translation>
    </message>
</context>
<context>
    <name>DevelopViews::DeviceDockWidget</name>
    <message>
        <source>The Krel box did not finish the login. Unplug it, plug it in again and press Connect.</source>
        <translation>Krel 未完成登录。请拔下后重新插入，再点击“连接”。</translation>
    </message>
    <message>
        <source>Device: </source>
        <translation>设备：</translation>
    </message>
    <message>
        <source>Password: </source>
        <translation>密码：</translation>
    </message>
    <message>
        <source>The initial password is empty</source>
        <translation>初始密码为空</translation>
    </message>
    <message>
        <source>Show or hide the password</source>
        <translation>显示或隐藏密码</translation>
    </message>
    <message>
        <source>Ver: </source>
        <translation>版本：</translation>
    </message>
    <message>
        <source>Firmware Upgrade</source>
        <translation>固件升级</translation>
    </message>
    <message>
        <source>UART: </source>
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
        <source>Connecting...</source>
        <translation>连接中...</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>断开</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>UpdatePD</source>
        <translation>修改密码</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>复位</translation>
    </message>
    <message>
        <source>No newer firmware is known</source>
        <translation>没有更新的固件</translation>
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
        <source>Refresh UART List</source>
        <translation>刷新串口列表</translation>
    </message>
    <message>
        <source>Refresh UART List Finished!</source>
        <translation>刷新串口列表完成！</translation>
    </message>
    <message>
        <source>Please select an Krel device</source>
        <translation>请选择一个 Krel 设备</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Connect device: </source>
        <translation>连接设备：</translation>
    </message>
    <message>
        <source>The Krel box did not answer. Unplug it, plug it in again and press Connect; if it still does not answer, press Reset.</source>
        <translation>Krel 没有应答。请拔下后重新插入，再点击“连接”；若仍无应答，请点击“复位”。</translation>
    </message>
    <message>
        <source>The Krel box did not confirm the login. Unplug it, plug it in again and press Connect.</source>
        <translation>Krel 未确认登录。请拔下后重新插入，再点击“连接”。</translation>
    </message>
    <message>
        <source>Firmware %1 is available</source>
        <translation>有新固件 %1 可用</translation>
    </message>
</context>
<context>
    <name>DevelopViews::ImageProgrammeTab</name>
    <message>
        <source>Basic Settings</source>
        <translation>基本设置</translation>
    </message>
    <message>
        <source>MCU: </source>
        <translation>MCU：</translation>
    </message>
    <message>
        <source>Remove this custom SoC</source>
        <translation>删除此自定义 SoC</translation>
    </message>
    <message>
        <source>Mode: </source>
        <translation>模式：</translation>
    </message>
    <message>
        <source>ManualMode</source>
        <translation>手动模式</translation>
    </message>
    <message>
        <source>AutoMode</source>
        <translation>自动模式</translation>
    </message>
    <message>
        <source>MachineMode</source>
        <translation>机台模式</translation>
    </message>
    <message>
        <source>Uart Baudrate: </source>
        <translation>串口波特率：</translation>
    </message>
    <message>
        <source>Beep Enable: </source>
        <translation>蜂鸣器使能：</translation>
    </message>
    <message>
        <source>5V Enable: </source>
        <translation>5V 使能：</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>镜像</translation>
    </message>
    <message>
        <source>With Boot Image</source>
        <translation>带启动镜像</translation>
    </message>
    <message>
        <source>With Boot Image, the tool will detect the image to ensure whether the image is correspond with the SoC&apos;s boot image and obtain the program address automatically</source>
        <translation>带启动镜像时，工具会检测镜像是否为该 SoC 的启动镜像，并自动获取烧录地址</translation>
    </message>
    <message>
        <source>Without Boot Image</source>
        <translation>不带启动镜像</translation>
    </message>
    <message>
        <source>Without Boot Image, You need to set the Flash configuration items manually.</source>
        <translation>不带启动镜像时，需要手动设置 Flash 配置项。</translation>
    </message>
    <message>
        <source>Memory Type: </source>
        <translation>存储器类型：</translation>
    </message>
    <message>
        <source>Sector Index: </source>
        <translation>扇区索引：</translation>
    </message>
    <message>
        <source>Program Address: </source>
        <translation>烧录地址：</translation>
    </message>
    <message>
        <source>Hexadecimal Format, example: 0xFFFF</source>
        <translation>十六进制格式，例如：0xFFFF</translation>
    </message>
    <message>
        <source>Image File Path: </source>
        <translation>镜像文件路径：</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>选择</translation>
    </message>
    <message>
        <source>Flash Word: </source>
        <translation>Flash 配置字：</translation>
    </message>
    <message>
        <source>OTP Program</source>
        <translation>OTP 烧写</translation>
    </message>
    <message>
        <source>Flash Options</source>
        <translation>Flash 配置项</translation>
    </message>
    <message>
        <source>Option</source>
        <translation>配置项</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>值</translation>
    </message>
    <message>
        <source>Additional Files</source>
        <translation>附加文件</translation>
    </message>
    <message>
        <source>Add File</source>
        <translation>添加文件</translation>
    </message>
    <message>
        <source>Program Address:</source>
        <translation>烧录地址：</translation>
    </message>
    <message>
        <source>File Path:</source>
        <translation>文件路径：</translation>
    </message>
    <message>
        <source>Remove this file</source>
        <translation>移除此文件</translation>
    </message>
    <message>
        <source>Image Edit</source>
        <translation>镜像编辑</translation>
    </message>
    <message>
        <source>Edit the image or the OTP data with the image helper</source>
        <translation>使用镜像助手编辑镜像或 OTP 数据</translation>
    </message>
    <message>
        <source>Write Config</source>
        <translation>写入配置</translation>
    </message>
    <message>
        <source>Write Configuration to Krel</source>
        <translation>将配置写入 Krel</translation>
    </message>
    <message>
        <source>Export Config</source>
        <translation>导出配置</translation>
    </message>
    <message>
        <source>Export Configurations to Computer Disk</source>
        <translation>将配置导出到电脑磁盘</translation>
    </message>
    <message>
        <source>Custom SoC based on %1</source>
        <translation>基于 %1 的自定义 SoC</translation>
    </message>
    <message>
        <source>File not found! Path: </source>
        <translation>文件不存在！路径：</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Do you really want to remove the custom SoC: </source>
        <translation>确定要删除自定义 SoC：</translation>
    </message>
    <message>
        <source>Custom SoC removed: </source>
        <translation>已删除自定义 SoC：</translation>
    </message>
    <message>
        <source>Flash words are not valid: </source>
        <translation>Flash 配置字无效：</translation>
    </message>
    <message>
        <source>The image file is empty! Path: </source>
        <translation>镜像文件为空！路径：</translation>
    </message>
    <message>
        <source>Can not find flash config or boot header in this image! Please select the correct image after editing with the VLX Micro Programmer tool.</source>
        <translation>在此镜像中找不到 Flash 配置或启动头！请使用 VLX Micro Programmer 工具编辑后选择正确的镜像。</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>Bin (*.bin)</source>
        <translation>二进制文件 (*.bin)</translation>
    </message>
    <message>
        <source>Info (*.info)</source>
        <translation>Info 文件 (*.info)</translation>
    </message>
    <message>
        <source>OTP File not found! Path: </source>
        <translation>OTP 文件不存在！路径：</translation>
    </message>
    <message>
        <source>Cannot find </source>
        <translation>找不到 </translation>
    </message>
    <message>
        <source>Cannot start </source>
        <translation>无法启动 </translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>打开目录</translation>
    </message>
    <message>
        <source>Writing the configuration...</source>
        <translation>正在写入配置...</translation>
    </message>
    <message>
        <source>The configuration was written.</source>
        <translation>配置已写入。</translation>
    </message>
    <message>
        <source>A file could not be copied; the configuration was not written.</source>
        <translation>有文件复制失败，配置未写入。</translation>
    </message>
    <message>
        <source>A file does not exist; the configuration was not written.</source>
        <translation>有文件不存在，配置未写入。</translation>
    </message>
    <message>
        <source>The removable drives could not be listed.</source>
        <translation>无法列出可移动磁盘。</translation>
    </message>
    <message>
        <source>No Krel drive found. Connect the Krel and log in first.</source>
        <translation>未找到 Krel 磁盘。请先连接 Krel 并登录。</translation>
    </message>
    <message>
        <source>More than one Krel drive found. Keep only one Krel connected.</source>
        <translation>检测到多个 Krel 磁盘。请只保留一个 Krel 连接。</translation>
    </message>
    <message>
        <source>The destination folder does not exist.</source>
        <translation>目标文件夹不存在。</translation>
    </message>
    <message>
        <source>Unknown write job.</source>
        <translation>未知的写入任务。</translation>
    </message>
    <message>
        <source>Not enough free space for the files; nothing was copied.</source>
        <translation>剩余空间不足，未复制任何文件。</translation>
    </message>
    <message>
        <source>The configuration was not written (status %1).</source>
        <translation>配置未写入（状态 %1）。</translation>
    </message>
    <message>
        <source>Write Config failed: </source>
        <translation>写入配置失败：</translation>
    </message>
</context>
<context>
    <name>KrelArrival</name>
    <message>
        <source>Multiple devices are not supported, please access only one offline burner</source>
        <translation>不支持多个设备，请只接入一台脱机烧录器</translation>
    </message>
    <message>
        <source>Device connected successfully</source>
        <translation>设备连接成功</translation>
    </message>
    <message>
        <source>Device enters UF2 upgrade mode</source>
        <translation>设备进入 UF2 升级模式</translation>
    </message>
    <message>
        <source>Remove USB: </source>
        <translation>移除 USB：</translation>
    </message>
</context>
<context>
    <name>UpdateFirmwareDlg</name>
    <message>
        <source>Open Directory</source>
        <translation>打开目录</translation>
    </message>
    <message>
        <source>Firmware Updates</source>
        <translation>固件升级</translation>
    </message>
    <message>
        <source>Current firmware version:</source>
        <translation>当前固件版本：</translation>
    </message>
    <message>
        <source>Latest firmware version:</source>
        <translation>最新固件版本：</translation>
    </message>
    <message>
        <source>Operation:Please connect the KREL to the computer after dialing code to:0,1 and switch to firmware upgrade mode.As the following picture.</source>
        <translation>操作：请将拨码拨至 0,1 后把 KREL 连接到电脑，进入固件升级模式，如下图所示。</translation>
    </message>
    <message>
        <source>Phenomenon:The computer shows the inserted USB flash drive: VLXBOOT, As the following picture.</source>
        <translation>现象：电脑显示插入了 U 盘：VLXBOOT，如下图所示。</translation>
    </message>
    <message>
        <source>Operation: Click the &apos;Download Firmware&apos; button and select &apos;VLXBOOT&apos; USB flash drive to complete the firmware upgrade</source>
        <translation>操作：点击“下载固件”按钮，选择“VLXBOOT”U 盘，完成固件升级</translation>
    </message>
    <message>
        <source>Tip: After the Download is complete, dial back to 0,0 or 1,0.</source>
        <translation>提示：下载完成后，请将拨码拨回 0,0 或 1,0。</translation>
    </message>
    <message>
        <source>Download Firmware</source>
        <translation>下载固件</translation>
    </message>
    <message>
        <source>Update Error</source>
        <translation>升级错误</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Downloading files...</source>
        <translation>正在下载文件...</translation>
    </message>
    <message>
        <source>File Download</source>
        <translation>文件下载</translation>
    </message>
    <message>
        <source>Download Successfully</source>
        <translation>下载成功</translation>
    </message>
    <message>
        <source>Failed to download</source>
        <translation>下载失败</translation>
    </message>
    <message>
        <source>Current version is empty</source>
        <translation>当前版本为空</translation>
    </message>
    <message>
        <source>New version is empty</source>
        <translation>新版本为空</translation>
    </message>
    <message>
        <source>New firmware path is empty</source>
        <translation>新固件路径为空</translation>
    </message>
    <message>
        <source>Unable to create target directory</source>
        <translation>无法创建目标目录</translation>
    </message>
    <message>
        <source>Download failed:</source>
        <translation>下载失败：</translation>
    </message>
    <message>
        <source>The old file on the drive cannot be removed: %1</source>
        <translation>无法删除驱动器上的旧文件：%1</translation>
    </message>
    <message>
        <source>Downloaded files successfull:</source>
        <translation>成功下载文件：</translation>
    </message>
    <message>
        <source>The Krel box has the whole firmware and is restarting. Set its switches back to 0,0 or 1,0.</source>
        <translation>Krel 已收到完整固件，正在重启。请将拨码拨回 0,0 或 1,0。</translation>
    </message>
    <message>
        <source>The update drive disappeared before the whole firmware was written to it. Set the switches to 0,1, plug the Krel box in again and download again.</source>
        <translation>固件尚未完整写入，升级驱动器就已消失。请将拨码拨至 0,1，重新插入 Krel 后再次下载。</translation>
    </message>
</context>
</TS>
