<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ConfigDialogModel</name>
    <message>
        <location filename="../src/config/ConfigDialogModel.cpp" line="+45"/>
        <source>%1必须在 1 到 256 之间。</source>
        <translation>%1 must be between 1 and 256.</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>型号名称不能为空。</source>
        <translation>The model name must not be empty.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>型号名称不能包含“]”或换行。</source>
        <translation>The model name must not contain “]” or a line break.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>型号名称的开头和结尾不能是空格。</source>
        <translation>The model name must not begin or end with a space.</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>地址必须是 00 到 FF 之间的十六进制数。</source>
        <translation>The address must be a hexadecimal number from 00 to FF.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>输入端口数</source>
        <translation>The number of inputs</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>输出端口数</source>
        <translation>The number of outputs</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>自定义地址必须是 00 到 FF 之间的十六进制数。</source>
        <translation>The custom address must be a hexadecimal number from 00 to FF.</translation>
    </message>
</context>
<context>
    <name>DeviceAccess</name>
    <message>
        <location filename="../src/serial/DeviceAccess.cpp" line="+30"/>
        <source>该设备属于用户组 %1，当前用户不在此组中。请运行 sudo usermod -aG %1 %2，然后重新登录。</source>
        <translation>The device belongs to the group %1, and the current user is not a member of it. Run sudo usermod -aG %1 %2, then log in again.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>当前用户无权读写该设备：%1</source>
        <translation>The current user may not read and write the device: %1</translation>
    </message>
</context>
<context>
    <name>GridPage</name>
    <message>
        <location filename="../src/control/GridPage.cpp" line="+16"/>
        <source>输出%1</source>
        <translation>Out %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>关闭或打开输出端口%1</source>
        <translation>Turn output %1 off or on</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>关闭</source>
        <translation>Off</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>关闭 </source>
        <translation>Off </translation>
    </message>
</context>
<context>
    <name>IniFile</name>
    <message>
        <location filename="../src/config/IniFile.cpp" line="+48"/>
        <source>是一个文件夹</source>
        <translation>is a folder</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>是管道或套接字，不是普通文件</source>
        <translation>is a pipe or a socket, not a regular file</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>是设备，不是普通文件</source>
        <translation>is a device, not a regular file</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>不是普通文件</source>
        <translation>is not a regular file</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+15"/>
        <source>超过 %1 的大小上限</source>
        <translation>exceeds the size limit of %1</translation>
    </message>
    <message>
        <location line="+77"/>
        <source>无法读取</source>
        <translation>cannot be read</translation>
    </message>
</context>
<context>
    <name>Journal</name>
    <message>
        <location filename="../src/store/Journal.cpp" line="+357"/>
        <source>无法写入操作日志 %1：%2%3</source>
        <translation>Cannot write the journal %1: %2%3</translation>
    </message>
    <message>
        <location line="+44"/>
        <source>改名为 MatrixJournal.1.jsonl 失败：</source>
        <translation>renaming it to MatrixJournal.1.jsonl failed: </translation>
    </message>
</context>
<context>
    <name>JournalText</name>
    <message>
        <location filename="../src/ui/JournalText.cpp" line="+35"/>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <location line="+8"/>
        <location line="+20"/>
        <source>输入%1</source>
        <translation>Input %1</translation>
    </message>
    <message>
        <location line="-18"/>
        <source>关闭</source>
        <translation>off</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>循环 %1</source>
        <translation>cycle %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+82"/>
        <location line="+26"/>
        <location line="+34"/>
        <source>输出%1</source>
        <translation>Output %1</translation>
    </message>
    <message>
        <location line="-139"/>
        <source>%1 名称清除</source>
        <translation>%1 name cleared</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 命名为“%2”</source>
        <translation>%1 named “%2”</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>视频控制</source>
        <translation>Video</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>音频控制</source>
        <translation>Audio</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>音视频控制</source>
        <translation>Video &amp; Audio</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <location line="+7"/>
        <source>本机操作台</source>
        <translation>This console</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>切换</source>
        <translation>Route</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>关闭输出</source>
        <translation>Output off</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>执行预选</source>
        <translation>Take</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>调用模式</source>
        <translation>Recall preset</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>保存模式</source>
        <translation>Save preset</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>删除模式</source>
        <translation>Delete preset</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>读入数据</source>
        <translation>Open data</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>重做</source>
        <translation>Redo</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>重新发送</source>
        <translation>Resend</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>锁定</source>
        <translation>Lock</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>解锁</source>
        <translation>Unlock</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>强制解锁</source>
        <translation>Force unlock</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>命名</source>
        <translation>Name</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>切换层</source>
        <translation>Layer</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>%1：%2 → %3</source>
        <translation>%1: %2 → %3</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>模式：%1</source>
        <translation>Preset: %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>文件：%1</source>
        <translation>File: %1</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>端口%1</source>
        <translation>Port %1</translation>
    </message>
    <message>
        <location line="+41"/>
        <source>无法读取操作记录：%1</source>
        <translation>Cannot read the journal: %1</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>无法读取操作记录 %1：%2</source>
        <translation>Cannot read the journal %1: %2</translation>
    </message>
</context>
<context>
    <name>MatrixSession</name>
    <message>
        <location filename="../src/config/Settings.cpp" line="+17"/>
        <source>%1 汇切台</source>
        <translation>%1 Matrix Switcher</translation>
    </message>
    <message>
        <location filename="../src/control/MatrixSession.cpp" line="+27"/>
        <source>注意：矩阵型号的端口数超出 1～256 的范围，现按 %1 路输入、%2 路输出使用</source>
        <translation>Note: the model&apos;s port counts are outside 1 to 256; using %1 inputs and %2 outputs</translation>
    </message>
    <message>
        <location filename="../src/control/MatrixSessionSteps.cpp" line="+211"/>
        <source>%1 的请求未完成：%2</source>
        <translation>The request of %1 was not carried out: %2</translation>
    </message>
    <message>
        <location filename="../src/control/MatrixSession.cpp" line="+324"/>
        <source>输出 %1 已被 %2 锁定，本次切换未执行</source>
        <translation>Output %1 is locked by %2; the switch was not made</translation>
    </message>
    <message>
        <location filename="../src/control/MatrixSessionFiles.cpp" line="+23"/>
        <source>调用的文件与但前矩阵不匹配</source>
        <translation>The file does not match the current matrix</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>已跳过 %1 个超出当前矩阵或无法识别的切换节点</source>
        <translation>Skipped %1 crosspoint(s) outside the current matrix or not recognised</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>；</source>
        <translation>; </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 个切换节点所在的输出已被他人锁定，未执行</source>
        <translation>%1 crosspoint(s) not switched: their outputs are locked by someone else</translation>
    </message>
    <message>
        <location filename="../src/control/MatrixSessionHistory.cpp" line="+82"/>
        <source>输出 %1 已被改动或被他人锁定，未撤销</source>
        <translation>Output %1 has changed or is locked by someone else; not undone</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>输出 %1 已被改动或被他人锁定，未重做</source>
        <translation>Output %1 has changed or is locked by someone else; not redone</translation>
    </message>
    <message>
        <location filename="../src/control/MatrixSessionSteps.cpp" line="+83"/>
        <source>串口已重新连接</source>
        <translation>Serial port reconnected</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>串口已重新连接，已重发 %1 项</source>
        <translation>Serial port reconnected; %1 route(s) sent again</translation>
    </message>
    <message>
        <location filename="../src/control/MatrixSessionTake.cpp" line="+98"/>
        <source>输出 %1 已被他人锁定，预选未执行</source>
        <translation>Output %1 is locked by someone else; its staged switch was not taken</translation>
    </message>
</context>
<context>
    <name>ModeName</name>
    <message>
        <location filename="../src/store/ModeName.cpp" line="+64"/>
        <source>空格</source>
        <translation>a space</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>全角空格</source>
        <translation>a full-width space</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>制表符</source>
        <translation>a tab</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>控制字符</source>
        <translation>a control character</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>“%1”</source>
        <translation>“%1”</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>效果名称含有无法识别的字符。</source>
        <translation>The preset name contains characters that cannot be read.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>效果名称不能含有%1。名称只能由汉字、字母、数字和 - _ . 组成。</source>
        <translation>The preset name must not contain %1. A name may hold only Chinese characters, letters, digits and - _ .</translation>
    </message>
</context>
<context>
    <name>ModeStore</name>
    <message>
        <location filename="../src/store/ModeStore.cpp" line="+20"/>
        <source>矩阵模式文件 %1 有误：%2</source>
        <translation>The preset file %1 is not valid: %2</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>矩阵模式文件 %1 有误（第 %2 行，第 %3 列）：%4</source>
        <translation>The preset file %1 is not valid (line %2, column %3): %4</translation>
    </message>
</context>
<context>
    <name>ModeXml</name>
    <message>
        <location filename="../src/store/ModeXml.cpp" line="+62"/>
        <source>XML 声明只能有一个，且须在文件开头</source>
        <translation>there may be only one XML declaration, at the start of the file</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+3"/>
        <source>无法确定 XML 声明中的编码</source>
        <translation>the encoding in the XML declaration cannot be determined</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>无法读取：%1</source>
        <translation>cannot be read: %1</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>没有根元素</source>
        <translation>no root element</translation>
    </message>
    <message>
        <location line="+22"/>
        <source>有字符无法以文件的编码 %1 保存</source>
        <translation>some characters cannot be saved in the file&apos;s encoding %1</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>保存的内容读回后与要保存的模式不符，文件未改动</source>
        <translation>what was saved did not read back as the preset to be saved; the file is unchanged</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>PortHolders</name>
    <message>
        <location filename="../src/serial/PortHolders.cpp" line="+118"/>
        <source>设备正被另一个程序使用</source>
        <translation>The device is in use by another program</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <location line="+0"/>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1（进程 %2）</source>
        <translation>%1 (process %2)</translation>
    </message>
</context>
<context>
    <name>PortOpenDetail</name>
    <message>
        <location filename="../src/control/PortOpenDetail.cpp" line="+16"/>
        <location line="+2"/>
        <source>原因：%1</source>
        <translation>Reason: %1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>设备：%1</source>
        <translation>Device: %1</translation>
    </message>
</context>
<context>
    <name>PortStatus</name>
    <message>
        <location filename="../src/control/PortStatus.cpp" line="+15"/>
        <source>已打开</source>
        <translation>open</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>连接中断</source>
        <translation>disconnected</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>未打开</source>
        <translation>not open</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1 分 %2 秒</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>串口</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <location line="+4"/>
        <source> · 待发 %1 帧，约 %2</source>
        <translation> · %1 frame(s) waiting, about %2</translation>
    </message>
    <message>
        <location line="+4"/>
        <source> · %1 帧未能送出</source>
        <translation> · %1 frame(s) not sent</translation>
    </message>
</context>
<context>
    <name>QtDialogs</name>
    <message>
        <location filename="../src/ui/Dialogs.cpp" line="+33"/>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Ignore</source>
        <translation>&amp;Ignore</translation>
    </message>
</context>
<context>
    <name>SerialComm</name>
    <message>
        <location filename="../src/serial/SerialCommProperties.cpp" line="+40"/>
        <source>波特率 %1 无效，已使用 %2</source>
        <translation>Baud rate %1 is not valid; using %2</translation>
    </message>
</context>
<context>
    <name>SerialDevices</name>
    <message>
        <location filename="../src/serial/SerialDevices.cpp" line="+160"/>
        <source>USB 串口</source>
        <translation>USB serial port</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>内置串口</source>
        <translation>Built-in serial port</translation>
    </message>
</context>
<context>
    <name>StatusFile</name>
    <message>
        <location filename="../src/store/StatusFile.cpp" line="+127"/>
        <source>无法读取状态文件 %1：%2</source>
        <translation>Cannot read the status file %1: %2</translation>
    </message>
</context>
<context>
    <name>WebPassword</name>
    <message>
        <location filename="../src/app/WebPassword.cpp" line="+58"/>
        <source>网页控制密码：</source>
        <translation>Web panel password: </translation>
    </message>
    <message>
        <location line="+7"/>
        <source>再输入一次：</source>
        <translation>Again: </translation>
    </message>
</context>
<context>
    <name>XmlText</name>
    <message>
        <location filename="../src/store/XmlText.cpp" line="+125"/>
        <source>含有不属于 %1 编码的字节</source>
        <translation>contains bytes that are not valid %1</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>不是普通文件</source>
        <translation>is not a regular file</translation>
    </message>
    <message>
        <location line="+41"/>
        <source>不支持的编码 %1</source>
        <translation>unsupported encoding %1</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>声明为 %1 的文件须以字节顺序标记开头</source>
        <translation>a file declared as %1 must begin with a byte order mark</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>含有不属于 UTF-8 编码的字节</source>
        <translation>contains bytes that are not valid UTF-8</translation>
    </message>
</context>
<context>
    <name>mc::JournalDialog</name>
    <message>
        <location filename="../src/ui/JournalDialog.cpp" line="+31"/>
        <source>操作记录</source>
        <translation>Journal</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>显示：</source>
        <translation>Show:</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>只显示与所选输出有关的操作</source>
        <translation>Show only the operations on the chosen output</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>来源</source>
        <translation>Origin</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>操作</source>
        <translation>Action</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>切换</source>
        <translation>Routes</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>内容</source>
        <translation>Details</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>发送的帧</source>
        <translation>Frames Sent</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>重新读取操作记录</source>
        <translation>Read the journal again</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <location line="+37"/>
        <source>摄像机</source>
        <translation>Camera</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>主屏</source>
        <translation>Main</translation>
    </message>
    <message>
        <location line="+57"/>
        <source>全部输出</source>
        <translation>All outputs</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>还没有操作记录：%1 尚不存在</source>
        <translation>No journal yet: %1 does not exist</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>操作记录中没有可读的条目</source>
        <translation>The journal has no readable entries</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>最近 %1 条操作，最新的在最上面</source>
        <translation>The last %1 operations, newest first</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>最近 %1 条操作中有 %2 条与“%3”有关</source>
        <translation>%2 of the last %1 operations concern “%3”</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>。“—”：较早的记录未区分关闭、未知和循环</source>
        <translation>. “—”: older entries do not tell off, unknown and cycling apart</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>%1；%2</source>
        <translation>%1; %2</translation>
    </message>
</context>
<context>
    <name>mc::PortFinder</name>
    <message>
        <location filename="../src/ui/PortFinder.cpp" line="+26"/>
        <source>输出 %1</source>
        <translation>Output %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>输入 %1</source>
        <translation>Input %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>输出 %1：%2</source>
        <translation>Output %1: %2</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>输入 %1：%2</source>
        <translation>Input %1: %2</translation>
    </message>
    <message>
        <location line="+39"/>
        <source>端口号或名称</source>
        <translation>Port number or name</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>查找端口</source>
        <translation>Find a port</translation>
    </message>
</context>
<context>
    <name>mc::SerialDevicePicker</name>
    <message>
        <location filename="../src/ui/SerialDevicePicker.cpp" line="+36"/>
        <source>本机现有的串口设备。选中一个设备，按“应用”后，“矩阵设置”页上的串口号就打开这个设备（写入 Serial Port Map）。</source>
        <translation>The serial devices of this computer. Pick one and press “Apply”: the port number on the “Matrix Settings” page then opens this device (written to Serial Port Map).</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location line="+71"/>
        <source>%1（当前）</source>
        <translation>%1 (current)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>不能打开：%1</source>
        <translation>Cannot open: %1</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>没有找到串口设备</source>
        <translation>No serial devices found</translation>
    </message>
</context>
<context>
    <name>mc::ServicePage</name>
    <message>
        <location filename="../src/ui/ServicePage.cpp" line="+51"/>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location line="+85"/>
        <source>留空：保留已存的密码</source>
        <translation>Leave empty to keep it</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>确认密码 </source>
        <translation>Confirm </translation>
    </message>
    <message>
        <location line="+5"/>
        <source>清除密码</source>
        <translation>Clear</translation>
    </message>
    <message>
        <location line="+45"/>
        <source>%1的监听地址“%2”无效：请填写 IPv4 地址（如 127.0.0.1，0.0.0.0 表示所有网络接口）或 IPv6 地址（如 ::1）。</source>
        <translation>The listen address “%2” of %1 is not valid: enter an IPv4 address (such as 127.0.0.1; 0.0.0.0 means every network interface) or an IPv6 address (such as ::1).</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>已设置密码</source>
        <translation>Password set</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>未设置密码</source>
        <translation>No password set</translation>
    </message>
</context>
<context>
    <name>mc::TAboutBox</name>
    <message>
        <location filename="../src/ui/AboutBox.cpp" line="+67"/>
        <source>关于汇切台</source>
        <translation>About Matrix Switcher</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>程序文件夹：</source>
        <translation>Program folder: </translation>
    </message>
</context>
<context>
    <name>mc::TConfigForm</name>
    <message>
        <location filename="../src/ui/MatrixConfigControls.cpp" line="+43"/>
        <source>配置汇切台</source>
        <translation>Matrix Switcher Setup</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>矩阵设置</source>
        <translation>Matrix Settings</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>串口设备</source>
        <translation>Serial Devices</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>串口设置</source>
        <translation>Serial Port</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>串口 </source>
        <translation>Port </translation>
    </message>
    <message>
        <location line="+11"/>
        <source>波特率  </source>
        <translation>Baud rate  </translation>
    </message>
    <message>
        <location line="+9"/>
        <source>系统设置</source>
        <translation>System</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>循环时间间隔 (秒)      </source>
        <translation>Cycle interval (s)      </translation>
    </message>
    <message>
        <location line="+9"/>
        <source>矩阵信息</source>
        <translation>Matrix Model</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>型号 </source>
        <translation>Model </translation>
    </message>
    <message>
        <location line="+8"/>
        <source>输入端口数    </source>
        <translation>Inputs    </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>输出端口数    </source>
        <translation>Outputs    </translation>
    </message>
    <message>
        <location line="+3"/>
        <source>地址(十六进制)    </source>
        <translation>Address (hex)    </translation>
    </message>
    <message>
        <location line="+3"/>
        <source>自定义地址(十六进制)       </source>
        <translation>Custom addr. (hex)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source> 自定义矩阵Logo     </source>
        <translation> Custom logo     </translation>
    </message>
    <message>
        <location line="+6"/>
        <source>非QXR-V或QXR-AV系列矩阵</source>
        <translation>Not a QXR-V or QXR-AV series matrix</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>添加为新矩阵</source>
        <translation>Add Model</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>删除当前矩阵</source>
        <translation>Delete Model</translation>
    </message>
    <message>
        <location filename="../src/ui/MatrixConfigUnit.cpp" line="+122"/>
        <source>串口 %1 打开的设备：%2</source>
        <translation>Port %1 opens the device: %2</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>；应用后：%1</source>
        <translation>; after Apply: %1</translation>
    </message>
    <message>
        <location line="+85"/>
        <source>型号参数已修改，保存到型号表？</source>
        <translation>The model&apos;s settings have changed. Save them to the model table?</translation>
    </message>
    <message>
        <location line="+48"/>
        <source>将删除 %1 个端口名称和 %2 个矩阵模式</source>
        <translation>This deletes %1 port names and %2 matrix modes</translation>
    </message>
</context>
<context>
    <name>mc::TMatrixForm</name>
    <message>
        <location filename="../src/ui/MatrixFormGrid.cpp" line="+66"/>
        <source>已被 %1 锁定</source>
        <translation>locked by %1</translation>
    </message>
    <message>
        <location line="+119"/>
        <location filename="../src/ui/MatrixFormMenus.cpp" line="+106"/>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <location line="+144"/>
        <source>锁定输出 %1</source>
        <translation>Lock Output %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>解锁输出 %1</source>
        <translation>Unlock Output %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>强制解锁（%1）</source>
        <translation>Force Unlock (%1)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>返回上一个输入</source>
        <translation>Return to Previous Input</translation>
    </message>
    <message>
        <location filename="../src/ui/MatrixFormMenus.cpp" line="+9"/>
        <source>文件（&amp;F）</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>读入数据（&amp;O）</source>
        <translation>&amp;Open Data...</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>读入数据</source>
        <translation>Open a matrix status file</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>保存数据（&amp;S）</source>
        <translation>&amp;Save Data...</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>保存数据</source>
        <translation>Save the crosspoints to a matrix status file</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>重新发送当前状态</source>
        <translation>Resend Current State</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>把当前状态重新发送给矩阵（矩阵断电或重新插接后使用）</source>
        <translation>Send the current state to the matrix again (after the matrix lost power or was plugged in again)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>操作记录(&amp;J)</source>
        <translation>&amp;Journal...</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>查看切换操作记录</source>
        <translation>Show the journal of switching operations</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>退出（&amp;X）</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>退出应用程序</source>
        <translation>Quit the program</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>编辑(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>撤销(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>撤销上一次切换（模式、状态文件）</source>
        <translation>Undo the last switch (preset, status file)</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>重做(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>重做撤销的切换</source>
        <translation>Redo the undone switch</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>查找端口(&amp;F)</source>
        <translation>&amp;Find Port</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>按端口号或名称查找输入和输出</source>
        <translation>Find an input or output by its number or name</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>预选(&amp;P)</source>
        <translation>&amp;Preview</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>执行(&amp;T)</source>
        <translation>&amp;Take</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>清除(&amp;L)</source>
        <translation>C&amp;lear</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>配置（&amp;C）</source>
        <translation>&amp;Configuration</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>系统配置（&amp;I）</source>
        <translation>System Sett&amp;ings...</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>系统配置</source>
        <translation>System settings</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>矩阵模式（&amp;M）</source>
        <translation>&amp;Presets</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>新建模式(&amp;N)</source>
        <translation>&amp;New Preset...</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>保存模式(&amp;S)</source>
        <translation>&amp;Save Preset</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>删除模式(&amp;D)</source>
        <translation>&amp;Delete Preset</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>帮助（&amp;H）</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>关于（&amp;A）</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>关于本软件</source>
        <translation>About this program</translation>
    </message>
    <message>
        <location line="+53"/>
        <source>视频控制</source>
        <translation>Video</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>视频切换模式</source>
        <translation>Switch video</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>音频控制</source>
        <translation>Audio</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>音频切换模式</source>
        <translation>Switch audio</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>音视频控制</source>
        <translation>Video &amp;&amp; Audio</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>音频视频切换模式</source>
        <translation>Switch video and audio together</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>矩阵模式   </source>
        <translation>Presets   </translation>
    </message>
    <message>
        <location line="+29"/>
        <location line="+1"/>
        <source>快速切换</source>
        <translation>Quick switch</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>输出号、空格或点、输入号，回车切换（如 40 50 或 40.50）；Esc 清空</source>
        <translation>Output number, a space or a dot, input number, then Enter (such as 40 50 or 40.50); Esc empties the field</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>预选</source>
        <translation>Preview</translation>
    </message>
    <message>
        <location line="-166"/>
        <source>预选：点击只预选切换，按“执行”后才发送</source>
        <translation>Preview: a click only stages a switch; “Take” sends it</translation>
    </message>
    <message>
        <location line="-38"/>
        <source>%1、%2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <location line="+206"/>
        <source>执行</source>
        <translation>Take</translation>
    </message>
    <message>
        <location line="-164"/>
        <source>发送预选的切换</source>
        <translation>Send the staged switches</translation>
    </message>
    <message>
        <location line="+165"/>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <location line="-162"/>
        <source>清除预选的切换</source>
        <translation>Drop the staged switches</translation>
    </message>
    <message>
        <location line="+184"/>
        <source>输入通道</source>
        <translation>Inputs</translation>
    </message>
    <message>
        <location filename="../src/ui/MatrixFormStore.cpp" line="+20"/>
        <source>矩阵状态文件 (*.ms)</source>
        <translation>Matrix status files (*.ms)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <location filename="../src/ui/QXRMainControl.cpp" line="+29"/>
        <source>汇切台</source>
        <translation>Matrix Switcher</translation>
    </message>
    <message>
        <location line="+161"/>
        <source>预选 %1 项</source>
        <translation>%1 staged</translation>
    </message>
    <message>
        <location line="+49"/>
        <source>（串口断开）</source>
        <translation> (serial line lost)</translation>
    </message>
    <message>
        <location filename="../src/ui/MatrixFormFind.cpp" line="+96"/>
        <source>输入 %1–%2 / %3</source>
        <translation>Inputs %1–%2 / %3</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>输出 %1–%2 / %3</source>
        <translation>Outputs %1–%2 / %3</translation>
    </message>
    <message>
        <location filename="../src/ui/MatrixFormKeys.cpp" line="+33"/>
        <source>格式：输出号 输入号</source>
        <translation>Type: output input</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>没有输出 %1</source>
        <translation>No output %1</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>没有输入 %1</source>
        <translation>No input %1</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>%1 ← %2</source>
        <translation>%1 ← %2</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>未执行</source>
        <translation>Not done</translation>
    </message>
    <message>
        <location line="-1"/>
        <source>未执行：输出 %1 已被 %2 锁定</source>
        <translation>Not done: output %1 is locked by %2</translation>
    </message>
    <message>
        <location filename="../src/ui/MatrixFormRoutes.cpp" line="+37"/>
        <source>关闭</source>
        <translation>Closed</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>循环 %1</source>
        <translation>Cycle %1</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <location line="+11"/>
        <source>上次运行时发送，%1</source>
        <translation>Sent before the last start, %1</translation>
    </message>
    <message>
        <location line="+46"/>
        <source>视频 %1 / 音频 %2</source>
        <translation>Video %1 / audio %2</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>输出 %1 的当前输入</source>
        <translation>Current input of output %1</translation>
    </message>
</context>
<context>
    <name>mc::TModeNameForm</name>
    <message>
        <location filename="../src/ui/ModeNameUnit.cpp" line="+28"/>
        <location line="+35"/>
        <source>输入效果名称</source>
        <translation>Enter a preset name</translation>
    </message>
    <message>
        <location line="-31"/>
        <source>效果名称   </source>
        <translation>Preset name   </translation>
    </message>
    <message>
        <location line="+11"/>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>mc::announce::Announcer</name>
    <message>
        <location filename="../src/announce/Announcer.cpp" line="+48"/>
        <source>没有系统总线（%1）</source>
        <translation>no system bus (%1)</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>守护进程已停止</source>
        <translation>the daemon stopped</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>DNS-SD：已撤回“%1”</source>
        <translation>DNS-SD: withdrew “%1”</translation>
    </message>
    <message>
        <location line="+36"/>
        <source>守护进程未运行</source>
        <translation>the daemon is not running</translation>
    </message>
    <message>
        <location line="+115"/>
        <source>名称“%1”已被占用</source>
        <translation>the name “%1” is taken</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>DNS-SD：名称“%1”已被占用，改用“%2”</source>
        <translation>DNS-SD: the name “%1” is taken, using “%2”</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>DNS-SD：已在网络上公布“%1”（%2，端口 %3）</source>
        <translation>DNS-SD: announced “%1” on the network (%2, port %3)</translation>
    </message>
    <message>
        <location line="+30"/>
        <source>DNS-SD：Avahi 未能公布“%1”：%2</source>
        <translation>DNS-SD: Avahi could not announce “%1”: %2</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>DNS-SD：Avahi 不可用（%1），服务不在网络上公布</source>
        <translation>DNS-SD: Avahi is not available (%1); the services are not announced on the network</translation>
    </message>
</context>
<context>
    <name>mc::remote::RouterService</name>
    <message>
        <location filename="../src/remote/RouterService.cpp" line="+25"/>
        <source>网络控制</source>
        <translation>Network Control</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>启用网络控制</source>
        <translation>Enable network control</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>监听地址 </source>
        <translation>Listen address </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>127.0.0.1：只有本机可以连接。0.0.0.0：所有网络接口，网络上的每台计算机都能切换矩阵。</source>
        <translation>127.0.0.1: only this computer can connect. 0.0.0.0: all network interfaces; every computer on the network can switch the matrix.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>端口 </source>
        <translation>Port </translation>
    </message>
    <message>
        <location line="+3"/>
        <source>设备名称 </source>
        <translation>Device name </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>在网络上公布（DNS-SD）</source>
        <translation>Announce on the network (DNS-SD)</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>网络控制：%1:%2，%3 个客户端</source>
        <translation>Network control: %1:%2, clients: %3</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>网络控制：未能监听 %1</source>
        <translation>Network control: cannot listen on %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>网络控制未能启动：%1</source>
        <translation>Network control did not start: %1</translation>
    </message>
</context>
<context>
    <name>mc::swp08::Swp08Service</name>
    <message>
        <location filename="../src/swp08/Swp08Service.cpp" line="+28"/>
        <source>SW-P-08 控制</source>
        <translation>SW-P-08 Control</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>启用 SW-P-08 控制</source>
        <translation>Enable SW-P-08 control</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>监听地址 </source>
        <translation>Listen address </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>127.0.0.1：只有本机可以连接。0.0.0.0：所有网络接口，网络上的每台控制器都能切换矩阵（此协议没有密码）。</source>
        <translation>127.0.0.1: only this computer can connect. 0.0.0.0: every network interface; every controller on the network can switch the matrix (the protocol has no passwords).</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>端口 </source>
        <translation>Port </translation>
    </message>
    <message>
        <location line="+41"/>
        <source>SW-P-08 控制：%1:%2，%3 个控制器</source>
        <translation>SW-P-08 control: %1:%2, %3 controllers</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SW-P-08 控制：未能监听 %1</source>
        <translation>SW-P-08 control: could not listen on %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>SW-P-08 控制未能启动：%1</source>
        <translation>SW-P-08 control did not start: %1</translation>
    </message>
</context>
<context>
    <name>mc::web::WebService</name>
    <message>
        <location filename="../src/web/WebService.cpp" line="+74"/>
        <source>网页控制</source>
        <translation>Web Panel</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>启用网页控制</source>
        <translation>Enable the web panel</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>监听地址 </source>
        <translation>Listen address </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>127.0.0.1：只有本机的浏览器可以打开。其他地址（如 0.0.0.0：所有网络接口）必须设置密码。</source>
        <translation>127.0.0.1: only a browser on this computer can open it. Any other address (such as 0.0.0.0: all network interfaces) needs a password.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>端口 </source>
        <translation>Port </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>密码 </source>
        <translation>Password </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>允许的主机名 </source>
        <translation>Allowed host names </translation>
    </message>
    <message>
        <location line="+1"/>
        <source>本机的地址和名称之外，逗号分隔</source>
        <translation>Besides this machine&apos;s addresses and names, comma-separated</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>在网络上公布（DNS-SD）</source>
        <translation>Announce on the network (DNS-SD)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>面板地址：http://%1:%2/</source>
        <translation>Panel address: http://%1:%2/</translation>
    </message>
    <message>
        <location line="+42"/>
        <source>网页控制：http://%1:%2，%3 个页面</source>
        <translation>Web panel: http://%1:%2, pages open: %3</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>网页控制：未能监听 %1</source>
        <translation>Web panel: cannot listen on %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>网页控制未能启动：%1</source>
        <translation>Web panel did not start: %1</translation>
    </message>
</context>
</TS>
