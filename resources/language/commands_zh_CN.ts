<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CommandForm</name>
    <message>
        <source>Hexadecimal Format, example: 0xFFFF</source>
        <translation>十六进制格式，例如：0xFFFF</translation>
    </message>
    <message>
        <source>Hexadecimal Format: 0xFFFF</source>
        <translation>十六进制格式：0xFFFF</translation>
    </message>
    <message>
        <source>Multiple hexadecimal format starting with &apos;0x&apos;, separated by commas</source>
        <translation>多个以“0x”开头的十六进制数，用逗号分隔</translation>
    </message>
    <message>
        <source>Decimal Format, example: 200</source>
        <translation>十进制格式，例如：200</translation>
    </message>
    <message>
        <source>Hot reset</source>
        <translation>热复位</translation>
    </message>
    <message>
        <source>Cold reset</source>
        <translation>冷复位</translation>
    </message>
    <message>
        <source>Default reset</source>
        <translation>默认复位</translation>
    </message>
    <message>
        <source>There is no memory to choose! Please select a SoC first.</source>
        <translation>没有可选的存储器！请先选择 SoC。</translation>
    </message>
    <message>
        <source>Please input an address and a length!</source>
        <translation>请输入地址和长度！</translation>
    </message>
    <message>
        <source>Please input an address!</source>
        <translation>请输入地址！</translation>
    </message>
    <message>
        <source>The address must be &apos;0x&apos; followed by 1 to 8 hexadecimal digits!</source>
        <translation>地址必须是“0x”加 1 到 8 位十六进制数字！</translation>
    </message>
    <message>
        <source>The length must be a decimal number from 1 to 4294967295!</source>
        <translation>长度必须是 1 到 4294967295 之间的十进制数！</translation>
    </message>
    <message>
        <source>The address and length exceed the 32-bit address space!</source>
        <translation>地址和长度超出了 32 位地址空间！</translation>
    </message>
    <message>
        <source>Please select a file path!</source>
        <translation>请选择文件路径！</translation>
    </message>
    <message>
        <source>The file does not exist: %1</source>
        <translation>文件不存在：%1</translation>
    </message>
    <message>
        <source>Please input hexadecimal array!</source>
        <translation>请输入十六进制数组！</translation>
    </message>
    <message>
        <source>The hexadecimal array must be words of &apos;0x&apos; and 1 to 8 digits, separated by commas!</source>
        <translation>十六进制数组必须由“0x”加 1 到 8 位数字的字组成，用逗号分隔！</translation>
    </message>
    <message>
        <source>Unknown reset type!</source>
        <translation>未知的复位类型！</translation>
    </message>
</context>
<context>
    <name>CommandStages</name>
    <message>
        <source>Stage Open</source>
        <translation>开启阶段</translation>
    </message>
    <message>
        <source>Stage Close</source>
        <translation>关闭阶段</translation>
    </message>
    <message>
        <source>Unknown Command</source>
        <translation>未知命令</translation>
    </message>
</context>
<context>
    <name>DevelopViews::CmdChipEraseWidget</name>
    <message>
        <source>Memory ID:</source>
        <translation>存储器 ID：</translation>
    </message>
</context>
<context>
    <name>DevelopViews::CmdConfigMemoryWidget</name>
    <message>
        <source>Memory ID:</source>
        <translation>存储器 ID：</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>地址：</translation>
    </message>
</context>
<context>
    <name>DevelopViews::CmdEraseRegionWidget</name>
    <message>
        <source>Memory ID:</source>
        <translation>存储器 ID：</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>地址：</translation>
    </message>
    <message>
        <source>Length:</source>
        <translation>长度：</translation>
    </message>
</context>
<context>
    <name>DevelopViews::CmdLoadImageWidget</name>
    <message>
        <source>Select</source>
        <translation>选择</translation>
    </message>
    <message>
        <source>Image Path:</source>
        <translation>镜像路径：</translation>
    </message>
</context>
<context>
    <name>DevelopViews::CmdQueryRteWidget</name>
    <message>
        <source>Memory:</source>
        <translation>存储器：</translation>
    </message>
</context>
<context>
    <name>DevelopViews::CmdReadMemoryWidget</name>
    <message>
        <source>Save to File</source>
        <translation>保存到文件</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>选择</translation>
    </message>
    <message>
        <source>Memory ID:</source>
        <translation>存储器 ID：</translation>
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
        <source>Save Path:</source>
        <translation>保存路径：</translation>
    </message>
    <message>
        <source>Save File</source>
        <translation>保存文件</translation>
    </message>
</context>
<context>
    <name>DevelopViews::CmdResetWidget</name>
    <message>
        <source>Reset Type:</source>
        <translation>复位类型：</translation>
    </message>
</context>
<context>
    <name>DevelopViews::CmdWriteMemoryWidget</name>
    <message>
        <source>Write Hexadecimal Array:</source>
        <translation>写入十六进制数组：</translation>
    </message>
    <message>
        <source>Write file:</source>
        <translation>写入文件：</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>选择</translation>
    </message>
    <message>
        <source>Memory ID:</source>
        <translation>存储器 ID：</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>地址：</translation>
    </message>
</context>
<context>
    <name>DevelopViews::CommandDlg</name>
    <message>
        <source>Command Dialog</source>
        <translation>命令对话框</translation>
    </message>
    <message>
        <source>Select Commands: </source>
        <translation>选择命令：</translation>
    </message>
    <message>
        <source>Select Stage: </source>
        <translation>选择阶段：</translation>
    </message>
    <message>
        <source>Parameters: </source>
        <translation>参数：</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>开启</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>The command could not be saved: its parameters hold characters a project file cannot carry.</source>
        <translation>无法保存该命令：其参数包含工程文件无法保存的字符。</translation>
    </message>
</context>
<context>
    <name>DevelopViews::CommandTreeWidget</name>
    <message>
        <source>Command</source>
        <translation>命令</translation>
    </message>
    <message>
        <source>Parameters</source>
        <translation>参数</translation>
    </message>
    <message>
        <source>Add Command</source>
        <translation>添加命令</translation>
    </message>
    <message>
        <source>Remove Selected</source>
        <translation>删除所选</translation>
    </message>
    <message>
        <source>Run Selected</source>
        <translation>运行所选</translation>
    </message>
    <message>
        <source>Run Checked Stages</source>
        <translation>运行勾选的阶段</translation>
    </message>
    <message>
        <source>Run by Device Stage</source>
        <translation>按设备阶段运行</translation>
    </message>
    <message>
        <source>The device&apos;s life cycle decides whether the Open or the Close stage runs.</source>
        <translation>由设备的生命周期决定运行开启阶段还是关闭阶段。</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>编辑</translation>
    </message>
    <message>
        <source>Insert Before</source>
        <translation>在前面插入</translation>
    </message>
    <message>
        <source>Insert After</source>
        <translation>在后面插入</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Move Up</source>
        <translation>上移</translation>
    </message>
    <message>
        <source>Move Down</source>
        <translation>下移</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Do you want to delete the command?</source>
        <translation>是否删除该命令？</translation>
    </message>
    <message>
        <source>There is no command selected to be removed!</source>
        <translation>没有选中要删除的命令！</translation>
    </message>
    <message>
        <source>Do you really want to delete the selected command?</source>
        <translation>确定要删除所选的命令吗？</translation>
    </message>
    <message>
        <source>There is no command to execute!</source>
        <translation>没有可执行的命令！</translation>
    </message>
</context>
<context>
    <name>DevelopViews::ICmdWidget</name>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Select File</source>
        <translation>选择文件</translation>
    </message>
</context>
</TS>
