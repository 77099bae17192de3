<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>ConnectWatch</name>
    <message>
        <source>No permission to open %1. Install the udev rules file 70-kzo-assistant.rules into /etc/udev/rules.d/ (it comes with the program) and re-plug the device, or add your user to the "dialout" group (sudo usermod -aG dialout $USER) and log in again.</source>
        <translation>没有打开 %1 的权限。请将程序附带的 udev 规则文件 70-kzo-assistant.rules 安装到 /etc/udev/rules.d/ 并重新插拔设备，或将您的用户加入 "dialout" 组（sudo usermod -aG dialout $USER）后重新登录。</translation>
    </message>
</context>
<context>
    <name>DropArea</name>
    <message>
        <source>Cannot display data</source>
        <translation>无法显示数据</translation>
    </message>
</context>
<context>
    <name>ParamFileActions</name>
    <message>
        <source>Export Parameters</source>
        <translation>导出参数</translation>
    </message>
    <message>
        <source>Import Parameters</source>
        <translation>导入参数</translation>
    </message>
    <message>
        <source>Export EEPROM</source>
        <translation>导出 EEPROM</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 已存在。
是否替换？</translation>
    </message>
    <message>
        <source>Export Complete</source>
        <translation>导出完成</translation>
    </message>
    <message>
        <source>Export Failure</source>
        <translation>导出失败</translation>
    </message>
    <message>
        <source>%1 could not be written (%2); nothing was changed.</source>
        <translation>无法写入 %1（%2），未做任何更改。</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Cannot open %1.</source>
        <translation>无法打开 %1。</translation>
    </message>
    <message>
        <source>Configuration file version does not match.</source>
        <translation>配置文件版本不匹配。</translation>
    </message>
    <message>
        <source>The configuration file is incomplete; nothing was sent.</source>
        <translation>配置文件不完整，未发送任何数据。</translation>
    </message>
    <message>
        <source>Import Complete</source>
        <translation>导入完成</translation>
    </message>
    <message>
        <source>Please re-power the controller.</source>
        <translation>请重新给控制器上电。</translation>
    </message>
    <message>
        <source>Import Failure</source>
        <translation>导入失败</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The import did not finish. The controller may now hold a mix of old and new parameters: import the file again or restore the default settings before use.</source>
        <translation>导入未完成。控制器中现在可能混有新旧参数：使用前请重新导入该文件或恢复默认设置。</translation>
    </message>
</context>
<context>
    <name>Plotter</name>
    <message>
        <source>Zoom in</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>继续</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Current version of application has been disabled,Please download the latest version!</source>
        <translation>当前版本的程序已被停用，请下载最新版本！</translation>
    </message>
</context>
<context>
    <name>kzo::paramfiles::KzoExportProgressDialog</name>
    <message>
        <source>Export EEPROM</source>
        <translation>导出 EEPROM</translation>
    </message>
    <message>
        <source>Reading block %1 of %2 from the controller</source>
        <translation>正在从控制器读取第 %1 块（共 %2 块）</translation>
    </message>
</context>
<context>
    <name>kzo::paramfiles::KzoImportProgressDialog</name>
    <message>
        <source>Import EEPROM</source>
        <translation>导入 EEPROM</translation>
    </message>
    <message>
        <source>Writing block %1 of %2 to the controller</source>
        <translation>正在向控制器写入第 %1 块（共 %2 块）</translation>
    </message>
</context>
<context>
    <name>kzo::paramfiles::ParamTransferDialog</name>
    <message>
        <source>Transfer progress</source>
        <translation>传输进度</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>newsletter</name>
    <message>
        <source>Refreshing, please wait...</source>
        <translation>正在刷新，请稍候...</translation>
    </message>
    <message>
        <source>Announcements</source>
        <translation>公告</translation>
    </message>
    <message>
        <source>Don't show again</source>
        <translation>不再显示</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>No newsletter!</source>
        <translation>暂无公告！</translation>
    </message>
</context>
<context>
    <name>qDebugModeCheckDlg</name>
    <message>
        <source>Username</source>
        <translation>用户名</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>User name can not be null</source>
        <translation>用户名不能为空</translation>
    </message>
    <message>
        <source>Password can not be null</source>
        <translation>密码不能为空</translation>
    </message>
</context>
<context>
    <name>qExampleTovan</name>
    <message>
        <source>Internal-2</source>
        <translation>内部-2</translation>
    </message>
    <message>
        <source>Test1</source>
        <translation>测试1</translation>
    </message>
    <message>
        <source>test2</source>
        <translation>测试2</translation>
    </message>
    <message>
        <source>Version words</source>
        <translation>版本字</translation>
    </message>
    <message>
        <source>Versions:</source>
        <translation>版本：</translation>
    </message>
</context>
<context>
    <name>qInfoPage</name>
    <message>
        <source>Software Info</source>
        <translation>软件信息</translation>
    </message>
    <message>
        <source>Curren version:</source>
        <translation>当前版本：</translation>
    </message>
    <message>
        <source>No updates</source>
        <translation>暂无更新</translation>
    </message>
    <message>
        <source>Latest Version</source>
        <translation>最新版本</translation>
    </message>
    <message>
        <source>User Info</source>
        <translation>用户信息</translation>
    </message>
    <message>
        <source>Current Login User:</source>
        <translation>当前登录用户：</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>newsletter</source>
        <translation>公告</translation>
    </message>
    <message>
        <source>OnLine Help</source>
        <translation>在线帮助</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>http://www.kzo-gimbal.example/</source>
        <translation>http://www.kzo-gimbal.example/</translation>
    </message>
    <message>
        <source>Please login first! </source>
        <translation>请先登录！ </translation>
    </message>
    <message>
        <source>New version:</source>
        <translation>新版本：</translation>
    </message>
    <message>
        <source>Change User</source>
        <translation>切换用户</translation>
    </message>
    <message>
        <source>Latest Firmware:</source>
        <translation>最新固件：</translation>
    </message>
    <message>
        <source>Matching software:</source>
        <translation>匹配软件：</translation>
    </message>
    <message>
        <source>Recent upgrades</source>
        <translation>最近的升级</translation>
    </message>
    <message>
        <source>No upgrades yet.</source>
        <translation>尚无升级记录。</translation>
    </message>
</context>
<context>
    <name>qInternalPage</name>
    <message>
        <source>Upgrade from a file</source>
        <translation>从文件升级</translation>
    </message>
    <message>
        <source>Upgrade (MC)</source>
        <translation>升级（主控）</translation>
    </message>
    <message>
        <source>Upgrade (Gimbal)</source>
        <translation>升级（云台）</translation>
    </message>
    <message>
        <source>Upgrade (CMU)</source>
        <translation>升级（CMU）</translation>
    </message>
    <message>
        <source>Upgrade (PITCH)</source>
        <translation>升级（俯仰）</translation>
    </message>
    <message>
        <source>Upgrade (ROLL)</source>
        <translation>升级（横滚）</translation>
    </message>
    <message>
        <source>Upgrade (YAW)</source>
        <translation>升级（航向）</translation>
    </message>
    <message>
        <source>Commands</source>
        <translation>命令</translation>
    </message>
    <message>
        <source>Command %1</source>
        <translation>命令 %1</translation>
    </message>
    <message>
        <source>Command id (hex):</source>
        <translation>命令 ID（十六进制）：</translation>
    </message>
    <message>
        <source>Command id</source>
        <translation>命令 ID</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>写入</translation>
    </message>
    <message>
        <source>dump</source>
        <translation>转储</translation>
    </message>
    <message>
        <source>Last command id:</source>
        <translation>最近的命令 ID：</translation>
    </message>
    <message>
        <source>Internal-1</source>
        <translation>内部-1</translation>
    </message>
</context>
<context>
    <name>qLogin</name>
    <message>
        <source>User name or password does not match!</source>
        <translation>用户名或密码不匹配！</translation>
    </message>
    <message>
        <source>Network error, can not connect to the server!</source>
        <translation>网络错误，无法连接服务器！</translation>
    </message>
    <message>
        <source>Accounts need to activate,please check you mailbox and activate it!</source>
        <translation>账户需要激活，请查收邮件并激活！</translation>
    </message>
    <message>
        <source>Server is busy, please try again later!</source>
        <translation>服务器繁忙，请稍后再试！</translation>
    </message>
    <message>
        <source>Undefined error message:%1</source>
        <translation>未定义的错误信息：%1</translation>
    </message>
    <message>
        <source>User Login</source>
        <translation>用户登录</translation>
    </message>
    <message>
        <source>Email</source>
        <translation>邮箱</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>Remember Me</source>
        <translation>记住我</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>注册</translation>
    </message>
    <message>
        <source>Forgot?</source>
        <translation>忘记密码？</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>登录</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Please input your E-mail!</source>
        <translation>请输入您的电子邮箱！</translation>
    </message>
    <message>
        <source>Please input your password!</source>
        <translation>请输入您的密码！</translation>
    </message>
    <message>
        <source>Error:</source>
        <translation>错误：</translation>
    </message>
</context>
<context>
    <name>qMainFrame</name>
    <message>
        <source>Main controller Firmware mis-match!,please update you firmware!</source>
        <translation>主控固件版本不匹配！请升级固件！</translation>
    </message>
    <message>
        <source>Main controller Firmware mis-match!</source>
        <translation>主控固件版本不匹配！</translation>
    </message>
    <message>
        <source>The main controller must be upgraded !</source>
        <translation>主控必须升级！</translation>
    </message>
    <message>
        <source>The CMU must be upgraded !</source>
        <translation>CMU 必须升级！</translation>
    </message>
    <message>
        <source>The IMU must be upgraded !</source>
        <translation>IMU 必须升级！</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Please connect to the controller!</source>
        <translation>请连接控制器！</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source> Reset OK.  </source>
        <translation> 恢复成功。  </translation>
    </message>
    <message>
        <source>Reset failure,please check the connection!  </source>
        <translation>恢复失败，请检查连接！  </translation>
    </message>
    <message>
        <source>Connection failure! Please make sure the COM-port is not occupied by other applications and re-plug in.</source>
        <translation>连接失败！请确认串口未被其他程序占用，然后重新插拔设备。</translation>
    </message>
    <message>
        <source>N/A</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Failsafe</source>
        <translation>失控保护</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>手动</translation>
    </message>
    <message>
        <source>GPS Cruise</source>
        <translation>GPS 巡航</translation>
    </message>
    <message>
        <source>GPS Atti.</source>
        <translation>GPS 姿态</translation>
    </message>
    <message>
        <source>Atti.</source>
        <translation>姿态</translation>
    </message>
    <message>
        <source>UNKnown</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>Current version of software has been disabled,Please download the latest version!</source>
        <translation>当前版本的软件已被停用，请下载最新版本！</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>(Language) </source>
        <translation>(Language) </translation>
    </message>
    <message>
        <source>Please restart the application!</source>
        <translation>请重新启动程序！</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>MODE:</source>
        <translation>模式：</translation>
    </message>
    <message>
        <source>MC OUTPUT:</source>
        <translation>主控输出：</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>关</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>开</translation>
    </message>
    <message>
        <source>A firmware upgrade is running; the window closes when it has ended.</source>
        <translation>固件升级正在进行，升级结束后窗口将自动关闭。</translation>
    </message>
    <message>
        <source>A firmware upgrade is running; close the window when it has ended.</source>
        <translation>固件升级正在进行，请在升级结束后再关闭窗口。</translation>
    </message>
    <message>
        <source>Previous pages</source>
        <translation>上一组页面</translation>
    </message>
    <message>
        <source>Next pages</source>
        <translation>下一组页面</translation>
    </message>
</context>
<context>
    <name>qMainPage</name>
    <message>
        <source>DISCONNECTED</source>
        <translation>未连接</translation>
    </message>
    <message>
        <source>Quad-rotor I</source>
        <translation>四旋翼 I</translation>
    </message>
    <message>
        <source>Quad-rotor X</source>
        <translation>四旋翼 X</translation>
    </message>
    <message>
        <source>Hexa-rotor IY</source>
        <translation>六旋翼 IY</translation>
    </message>
    <message>
        <source>Hexa-rotor Y</source>
        <translation>六旋翼 Y</translation>
    </message>
    <message>
        <source>Hexa-rotor I</source>
        <translation>六旋翼 I</translation>
    </message>
    <message>
        <source>8M_UD</source>
        <translation>8M_UD</translation>
    </message>
    <message>
        <source>Octo-rotor X</source>
        <translation>八旋翼 X</translation>
    </message>
    <message>
        <source>Customize</source>
        <translation>自定义</translation>
    </message>
    <message>
        <source>Hexa-rotor V</source>
        <translation>六旋翼 V</translation>
    </message>
    <message>
        <source>Octo-rotor I</source>
        <translation>八旋翼 I</translation>
    </message>
    <message>
        <source>Octo-rotor V</source>
        <translation>八旋翼 V</translation>
    </message>
    <message>
        <source>NONE</source>
        <translation>无</translation>
    </message>
    <message>
        <source>Tradition</source>
        <translation>传统</translation>
    </message>
    <message>
        <source>D-Bus</source>
        <translation>D-Bus</translation>
    </message>
    <message>
        <source>PPM</source>
        <translation>PPM</translation>
    </message>
    <message>
        <source>Immediately</source>
        <translation>立即</translation>
    </message>
    <message>
        <source>Intelligent</source>
        <translation>智能</translation>
    </message>
    <message>
        <source>Highest</source>
        <translation>最高</translation>
    </message>
    <message>
        <source>Higher</source>
        <translation>较高</translation>
    </message>
    <message>
        <source>Recommended</source>
        <translation>推荐</translation>
    </message>
    <message>
        <source>Lower</source>
        <translation>较低</translation>
    </message>
    <message>
        <source>Lowest</source>
        <translation>最低</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>向前</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>向右</translation>
    </message>
    <message>
        <source>Backward</source>
        <translation>向后</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>向左</translation>
    </message>
    <message>
        <source>Landing</source>
        <translation>降落</translation>
    </message>
    <message>
        <source>Go-Home and Landing</source>
        <translation>返航并降落</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>开</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>关</translation>
    </message>
    <message>
        <source>2S LiPo</source>
        <translation>2S 锂电池</translation>
    </message>
    <message>
        <source>3S LiPo</source>
        <translation>3S 锂电池</translation>
    </message>
    <message>
        <source>4S LiPo</source>
        <translation>4S 锂电池</translation>
    </message>
    <message>
        <source>5S LiPo</source>
        <translation>5S 锂电池</translation>
    </message>
    <message>
        <source>6S LiPo</source>
        <translation>6S 锂电池</translation>
    </message>
    <message>
        <source>INH</source>
        <translation>禁用</translation>
    </message>
    <message>
        <source>Channel Monitor</source>
        <translation>通道监视</translation>
    </message>
    <message>
        <source>Channel %1</source>
        <translation>通道 %1</translation>
    </message>
    <message>
        <source>Voltage</source>
        <translation>电压保护</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Basic</source>
        <translation>基础</translation>
    </message>
    <message>
        <source>Mounting</source>
        <translation>安装</translation>
    </message>
    <message>
        <source>IMU Orientation:</source>
        <translation>IMU 安装方向：</translation>
    </message>
    <message>
        <source>IMU Location</source>
        <translation>IMU 位置</translation>
    </message>
    <message>
        <source>GPS Location</source>
        <translation>GPS 位置</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>感度</translation>
    </message>
    <message>
        <source>Pitch</source>
        <translation>俯仰</translation>
    </message>
    <message>
        <source>Roll</source>
        <translation>横滚</translation>
    </message>
    <message>
        <source>Yaw</source>
        <translation>航向</translation>
    </message>
    <message>
        <source>Vertical</source>
        <translation>垂直</translation>
    </message>
    <message>
        <source>Attitude</source>
        <translation>姿态</translation>
    </message>
    <message>
        <source>Aircraft</source>
        <translation>飞行器</translation>
    </message>
    <message>
        <source>Mixer Type:</source>
        <translation>混控类型：</translation>
    </message>
    <message>
        <source>RC</source>
        <translation>遥控器</translation>
    </message>
    <message>
        <source>Receiver Type:</source>
        <translation>接收机类型：</translation>
    </message>
    <message>
        <source>Motor</source>
        <translation>电机</translation>
    </message>
    <message>
        <source>Motor Idle Speed:</source>
        <translation>电机怠速：</translation>
    </message>
    <message>
        <source>Cut Off Type:</source>
        <translation>停机方式：</translation>
    </message>
    <message>
        <source>F/S</source>
        <translation>失控保护</translation>
    </message>
    <message>
        <source>Failsafe Methods:</source>
        <translation>失控保护方式：</translation>
    </message>
    <message>
        <source>Go-Home Switch:</source>
        <translation>返航开关：</translation>
    </message>
    <message>
        <source>IOC</source>
        <translation>智能航向</translation>
    </message>
    <message>
        <source>Intelligent Orientation Control:</source>
        <translation>智能航向控制：</translation>
    </message>
    <message>
        <source>Gimbal</source>
        <translation>云台</translation>
    </message>
    <message>
        <source>Gimbal Switch:</source>
        <translation>云台开关：</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>高级</translation>
    </message>
    <message>
        <source>Aileron Feedback</source>
        <translation>副翼反馈</translation>
    </message>
    <message>
        <source>Elevator Feed-forward</source>
        <translation>升降舵前馈</translation>
    </message>
    <message>
        <source>Elevator Feedback</source>
        <translation>升降舵反馈</translation>
    </message>
    <message>
        <source>OnLine Help</source>
        <translation>在线帮助</translation>
    </message>
    <message>
        <source>View</source>
        <translation>查看</translation>
    </message>
    <message>
        <source>Protection Switch:</source>
        <translation>保护开关：</translation>
    </message>
    <message>
        <source>Current Voltage:</source>
        <translation>当前电压：</translation>
    </message>
    <message>
        <source>Battery Type:</source>
        <translation>电池类型：</translation>
    </message>
    <message>
        <source>First Level Protection:</source>
        <translation>一级保护：</translation>
    </message>
    <message>
        <source>Second Level Protection:</source>
        <translation>二级保护：</translation>
    </message>
</context>
<context>
    <name>qMessageWin</name>
    <message>
        <source>Title</source>
        <translation>标题</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>qPageGimbal</name>
    <message>
        <source>Gimbal</source>
        <translation>云台</translation>
    </message>
    <message>
        <source>Disc.</source>
        <translation>断开</translation>
    </message>
    <message>
        <source>H.Free</source>
        <translation>航向自由</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>回中</translation>
    </message>
    <message>
        <source>H.Trace</source>
        <translation>航向跟随</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>关</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>开</translation>
    </message>
    <message>
        <source>DOWNWARD</source>
        <translation>朝下</translation>
    </message>
    <message>
        <source>FORWARD</source>
        <translation>朝前</translation>
    </message>
    <message>
        <source>Channel Monitor</source>
        <translation>通道监视</translation>
    </message>
    <message>
        <source>Function</source>
        <translation>功能</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>Read Data</source>
        <translation>读取数据</translation>
    </message>
    <message>
        <source>Write Data</source>
        <translation>写入数据</translation>
    </message>
    <message>
        <source>Read</source>
        <translation>读取</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>写入</translation>
    </message>
    <message>
        <source>Camera Charging Set</source>
        <translation>相机充电设置</translation>
    </message>
</context>
<context>
    <name>qPageTemplate</name>
    <message>
        <source>Can't find help page :</source>
        <translation>找不到帮助页面：</translation>
    </message>
    <message>
        <source>Previous tabs</source>
        <translation>上一组标签页</translation>
    </message>
    <message>
        <source>Next tabs</source>
        <translation>下一组标签页</translation>
    </message>
</context>
<context>
    <name>qResources</name>
    <message>
        <source>View</source>
        <translation>查看</translation>
    </message>
    <message>
        <source>Basic</source>
        <translation>基础</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>高级</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>工具</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>升级</translation>
    </message>
    <message>
        <source>Internal</source>
        <translation>内部</translation>
    </message>
    <message>
        <source>Assistant is already running!</source>
        <translation>调参助手已在运行！</translation>
    </message>
    <message>
        <source>Do you really want to restore the default settings? Before you select Yes, please disconnect the power to all motors or remove all propellers.</source>
        <translation>确定要恢复默认设置吗？选择“是”之前，请断开所有电机的电源或拆下所有螺旋桨。</translation>
    </message>
    <message>
        <source>Do you really want to upgrade the Firmware? Before you select Yes, please disconnect the power to all motors or remove all propellers.</source>
        <translation>确定要升级固件吗？选择“是”之前，请断开所有电机的电源或拆下所有螺旋桨。</translation>
    </message>
    <message>
        <source>Press Enter to Write. </source>
        <translation>按回车键写入。 </translation>
    </message>
    <message>
        <source>Network error,please check you connection to the internet and restart the application! </source>
        <translation>网络错误，请检查网络连接并重新启动程序！</translation>
    </message>
    <message>
        <source>Calibration finished. Please move all sticks back to the centre position.</source>
        <translation>校准完成，请将所有摇杆回中。</translation>
    </message>
</context>
<context>
    <name>qSoftwareUpdater</name>
    <message>
        <source>Software Update</source>
        <translation>软件更新</translation>
    </message>
    <message>
        <source>Current Software Version:</source>
        <translation>当前软件版本：</translation>
    </message>
    <message>
        <source>This version must be Updated.</source>
        <translation>此版本必须更新。</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>升级</translation>
    </message>
    <message>
        <source>No Updates!</source>
        <translation>暂无更新！</translation>
    </message>
    <message>
        <source>Checking for software updates...</source>
        <translation>正在检查软件更新...</translation>
    </message>
</context>
<context>
    <name>qTabPage</name>
    <message>
        <source>Default</source>
        <translation>默认</translation>
    </message>
</context>
<context>
    <name>qToolsPage</name>
    <message>
        <source>No need calibration.calibration procedure can be skipped.</source>
        <translation>无需校准，可跳过校准步骤。</translation>
    </message>
    <message>
        <source>IMU works abnormally, please contact us or our agents.</source>
        <translation>IMU 工作异常，请联系我们或我们的代理商。</translation>
    </message>
    <message>
        <source>Calibration needed, pls click the button below to calibrate IMU.</source>
        <translation>需要校准，请点击下方按钮校准 IMU。</translation>
    </message>
    <message>
        <source>IMU Calibration</source>
        <translation>IMU 校准</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>Z</source>
        <translation>Z</translation>
    </message>
    <message>
        <source>Mod</source>
        <translation>模值</translation>
    </message>
    <message>
        <source>Check IMU Status</source>
        <translation>检查 IMU 状态</translation>
    </message>
    <message>
        <source>Status:</source>
        <translation>状态：</translation>
    </message>
    <message>
        <source>Basic Cali</source>
        <translation>基础校准</translation>
    </message>
    <message>
        <source>Advanced Cali</source>
        <translation>高级校准</translation>
    </message>
    <message>
        <source>Calibration progress</source>
        <translation>校准进度</translation>
    </message>
    <message>
        <source>info</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>plot</source>
        <translation>曲线</translation>
    </message>
    <message>
        <source>Operate</source>
        <translation>操作</translation>
    </message>
    <message>
        <source>Export Parameters</source>
        <translation>导出参数</translation>
    </message>
    <message>
        <source>Import Parameters</source>
        <translation>导入参数</translation>
    </message>
    <message>
        <source>Restore default settings</source>
        <translation>恢复默认设置</translation>
    </message>
    <message>
        <source>Flight habits</source>
        <translation>飞行习惯</translation>
    </message>
    <message>
        <source>Novice</source>
        <translation>新手</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>普通</translation>
    </message>
    <message>
        <source>Flight log</source>
        <translation>飞行日志</translation>
    </message>
    <message>
        <source>ReadLog</source>
        <translation>读取日志</translation>
    </message>
    <message>
        <source>General</source>
        <translation>常规</translation>
    </message>
    <message>
        <source>OnLine Help</source>
        <translation>在线帮助</translation>
    </message>
    <message>
        <source>Sensor plot</source>
        <translation>传感器曲线</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>orig0:red, cali0:darkRed, orig1:green, cali1:darkGreen, orig2:yellow, cali2:darkYellow</source>
        <translation>orig0：红色，cali0：深红色，orig1：绿色，cali1：深绿色，orig2：黄色，cali2：深黄色</translation>
    </message>
    <message>
        <source>Tools</source>
        <translation>工具</translation>
    </message>
    <message>
        <source>The language is chosen in the Language menu of the title bar.</source>
        <translation>语言在标题栏的“语言”菜单中选择。</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Please connect to the controller!</source>
        <translation>请连接控制器！</translation>
    </message>
    <message>
        <source>idle</source>
        <translation>空闲</translation>
    </message>
    <message>
        <source>ready</source>
        <translation>就绪</translation>
    </message>
    <message>
        <source>calibrating</source>
        <translation>校准中</translation>
    </message>
    <message>
        <source>Please cut off the power of the MC for 10 minutes then power up the MC.</source>
        <translation>请断开主控电源 10 分钟，然后重新给主控上电。</translation>
    </message>
    <message>
        <source>Please click the advanced calibration to calibrate the IMU.</source>
        <translation>请点击“高级校准”校准 IMU。</translation>
    </message>
    <message>
        <source> Restoring the default settings, please wait.  </source>
        <translation> 正在恢复默认设置，请稍候。  </translation>
    </message>
    <message>
        <source> You must update firmware to new version.  </source>
        <translation> 必须将固件升级到新版本。  </translation>
    </message>
    <message>
        <source>Please keep the main controller  stationary and horizontal during calibration, or re-calibration is required.</source>
        <translation>校准期间请保持主控静止且水平，否则需要重新校准。</translation>
    </message>
    <message>
        <source>Please keep the main controller  stationary and horizontal during calibration, or re-calibration is required.The calibration will takes 5-10 minutes, please wait with patience.</source>
        <translation>校准期间请保持主控静止且水平，否则需要重新校准。校准需要 5-10 分钟，请耐心等待。</translation>
    </message>
    <message>
        <source>Again, please keep the main controller  stationary and horizontal, or it would not fly well and re-do advanced calibration.</source>
        <translation>再次提醒：请保持主控静止且水平，否则将无法正常飞行，需要重新进行高级校准。</translation>
    </message>
    <message>
        <source>No IMU data from the controller yet, please check again in a moment.</source>
        <translation>尚未收到控制器的 IMU 数据，请稍后再检查。</translation>
    </message>
    <message>
        <source>The controller has been changed to qarno. Start the qarno assistant and close this program?</source>
        <translation>控制器已切换为 qarno。是否启动 qarno 调参助手并关闭本程序？</translation>
    </message>
    <message>
        <source>Change to qarno Success,Please repower you controller.</source>
        <translation>已成功切换为 qarno，请重新给控制器上电。</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The qarno assistant is not installed on this computer.</source>
        <translation>本机未安装 qarno 调参助手。</translation>
    </message>
    <message>
        <source>The qarno assistant could not be started.</source>
        <translation>无法启动 qarno 调参助手。</translation>
    </message>
    <message>
        <source>Gyroscope(degree/s)</source>
        <translation>陀螺仪(度/秒)</translation>
    </message>
    <message>
        <source>Acceleration(g)</source>
        <translation>加速度(g)</translation>
    </message>
    <message>
        <source>Compass(raw)</source>
        <translation>指南针(原始值)</translation>
    </message>
    <message>
        <source>sensor:</source>
        <translation>传感器：</translation>
    </message>
    <message>
        <source>press:</source>
        <translation>气压：</translation>
    </message>
    <message>
        <source>orig0:</source>
        <translation>orig0:</translation>
    </message>
    <message>
        <source>orig1:</source>
        <translation>orig1:</translation>
    </message>
    <message>
        <source>orig2:</source>
        <translation>orig2:</translation>
    </message>
    <message>
        <source>cali0:</source>
        <translation>cali0:</translation>
    </message>
    <message>
        <source>cali1:</source>
        <translation>cali1:</translation>
    </message>
    <message>
        <source>cali2:</source>
        <translation>cali2:</translation>
    </message>
    <message>
        <source>pitch:</source>
        <translation>俯仰：</translation>
    </message>
    <message>
        <source>roll:</source>
        <translation>横滚：</translation>
    </message>
    <message>
        <source>yaw:</source>
        <translation>航向：</translation>
    </message>
</context>
<context>
    <name>qTxCali</name>
    <message>
        <source>The Tilt record is finished</source>
        <translation>俯仰行程记录完成</translation>
    </message>
    <message>
        <source>The gimbal is not tilting up enough.</source>
        <translation>云台向上俯仰幅度不足。</translation>
    </message>
    <message>
        <source>Tilting up is recorded,now please tilt down.</source>
        <translation>已记录向上俯仰，现在请向下俯仰。</translation>
    </message>
    <message>
        <source>The gimbal is not tilting down enough</source>
        <translation>云台向下俯仰幅度不足</translation>
    </message>
    <message>
        <source>Pitching down record OK, now pitching up</source>
        <translation>向下俯仰记录完成，现在请向上俯仰</translation>
    </message>
    <message>
        <source>The Roll record is finished</source>
        <translation>横滚行程记录完成</translation>
    </message>
    <message>
        <source>The gimbal is not rolling left enough.</source>
        <translation>云台向左横滚幅度不足。</translation>
    </message>
    <message>
        <source>Rolling left is recorded, now please roll to the 
right side.</source>
        <translation>已记录向左横滚，现在请向右
横滚。</translation>
    </message>
    <message>
        <source>The gimbal is not rolling right enough.</source>
        <translation>云台向右横滚幅度不足。</translation>
    </message>
    <message>
        <source>Rolling right record OK, now rolling left</source>
        <translation>向右横滚记录完成，现在请向左横滚</translation>
    </message>
    <message>
        <source>Fix the gimbal on aircraft,place the aircraft on a very flat surface,then rotate the aircraft around its center axis 2 circles.</source>
        <translation>将云台固定在飞行器上，把飞行器放在非常平整的表面上，然后让飞行器绕其中心轴旋转 2 圈。</translation>
    </message>
    <message>
        <source>Start Rotate</source>
        <translation>开始旋转</translation>
    </message>
    <message>
        <source>Calibration is finished,click the button to save data.</source>
        <translation>校准完成，请点击按钮保存数据。</translation>
    </message>
    <message>
        <source>Data Save</source>
        <translation>保存数据</translation>
    </message>
    <message>
        <source>Data saved,please disassemble fixtures then repower the gimbal.</source>
        <translation>数据已保存，请拆下固定装置，然后重新给云台上电。</translation>
    </message>
    <message>
        <source>Finished</source>
        <translation>完成</translation>
    </message>
    <message>
        <source>Roll left</source>
        <translation>向左横滚</translation>
    </message>
    <message>
        <source>Start Cali</source>
        <translation>开始校准</translation>
    </message>
    <message>
        <source>Start Rec</source>
        <translation>开始记录</translation>
    </message>
    <message>
        <source>Calibration</source>
        <translation>校准</translation>
    </message>
    <message>
        <source>Rotating Calibration</source>
        <translation>旋转校准</translation>
    </message>
    <message>
        <source>Range Record</source>
        <translation>行程记录</translation>
    </message>
    <message>
        <source>Tilt up</source>
        <translation>向上俯仰</translation>
    </message>
    <message>
        <source>Tilt down</source>
        <translation>向下俯仰</translation>
    </message>
    <message>
        <source>Roll right</source>
        <translation>向右横滚</translation>
    </message>
</context>
<context>
    <name>qUpdater</name>
    <message>
        <source>Main Controller</source>
        <translation>主控</translation>
    </message>
    <message>
        <source>IMU</source>
        <translation>IMU</translation>
    </message>
    <message>
        <source>GPS</source>
        <translation>GPS</translation>
    </message>
    <message>
        <source>LED</source>
        <translation>LED</translation>
    </message>
    <message>
        <source>PMU</source>
        <translation>PMU</translation>
    </message>
    <message>
        <source>Receiver</source>
        <translation>接收机</translation>
    </message>
    <message>
        <source>NV08C</source>
        <translation>NV08C</translation>
    </message>
    <message>
        <source>Glonass</source>
        <translation>Glonass</translation>
    </message>
    <message>
        <source>CMU</source>
        <translation>CMU</translation>
    </message>
    <message>
        <source>Please connect to the controller!</source>
        <translation>请连接控制器！</translation>
    </message>
    <message>
        <source>Checking for </source>
        <translation>正在检查 </translation>
    </message>
    <message>
        <source> firmware updates, please wait...</source>
        <translation> 固件更新，请稍候...</translation>
    </message>
    <message>
        <source>Network error! Please</source>
        <translation>网络错误！请</translation>
    </message>
    <message>
        <source>No firmware updates!</source>
        <translation>暂无固件更新！</translation>
    </message>
    <message>
        <source>Download error! Please</source>
        <translation>下载错误！请</translation>
    </message>
    <message>
        <source>Network error, Please </source>
        <translation>网络错误，请</translation>
    </message>
    <message>
        <source>Downloading, please wait...</source>
        <translation>正在下载，请稍候...</translation>
    </message>
    <message>
        <source>Downloading ... %1%</source>
        <translation>正在下载... %1%</translation>
    </message>
    <message>
        <source>Download successfully!</source>
        <translation>下载成功！</translation>
    </message>
    <message>
        <source>Firmware downloading is in process, please try again later!</source>
        <translation>固件正在下载，请稍后再试！</translation>
    </message>
    <message>
        <source>Test: Username or Password Error!</source>
        <translation>测试：用户名或密码错误！</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Upgrading ,please wait...</source>
        <translation>正在升级，请稍候...</translation>
    </message>
    <message>
        <source>Verifying the data, Please wait...</source>
        <translation>正在校验数据，请稍候...</translation>
    </message>
    <message>
        <source>Verify Failed!</source>
        <translation>校验失败！</translation>
    </message>
    <message>
        <source>Verify Success!</source>
        <translation>校验成功！</translation>
    </message>
    <message>
        <source>Upgrade Error!</source>
        <translation>升级错误！</translation>
    </message>
    <message>
        <source>Upgrade success! Please power cycle device!</source>
        <translation>升级成功！请将设备断电重启！</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>Upgrade failure! Please power cycle device and try again!</source>
        <translation>升级失败！请将设备断电重启后重试！</translation>
    </message>
    <message>
        <source>Failure</source>
        <translation>失败</translation>
    </message>
    <message>
        <source>Upgrade timeout! Please power cycle device and try again!</source>
        <translation>升级超时！请将设备断电重启后重试！</translation>
    </message>
    <message>
        <source>Device is connected!</source>
        <translation>设备已连接！</translation>
    </message>
    <message>
        <source>Firmware Upgrade</source>
        <translation>固件升级</translation>
    </message>
    <message>
        <source>Device name:</source>
        <translation>设备名称：</translation>
    </message>
    <message>
        <source>Current version:</source>
        <translation>当前版本：</translation>
    </message>
    <message>
        <source>Upgrade to:</source>
        <translation>升级到：</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>升级</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>刷新</translation>
    </message>
</context>
<context>
    <name>qUpgradePage</name>
    <message>
        <source>No updates</source>
        <translation>暂无更新</translation>
    </message>
    <message>
        <source>Basic</source>
        <translation>基础</translation>
    </message>
    <message>
        <source>Press a module's update link to open the firmware upgrade for it. Sign in first: the update server offers firmware to signed-in users only. Keep the device powered and connected until the upgrade reports its result, then power cycle the device.</source>
        <translation>点击模块的更新链接即可打开该模块的固件升级。请先登录：更新服务器只向已登录用户提供固件。在升级给出结果之前，请保持设备通电并连接；完成后请将设备断电重启。</translation>
    </message>
    <message>
        <source>Advance</source>
        <translation>高级</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>升级</translation>
    </message>
    <message>
        <source> You must update </source>
        <translation> 必须将 </translation>
    </message>
    <message>
        <source> firmware to new version.  </source>
        <translation> 固件升级到新版本。  </translation>
    </message>
    <message>
        <source>New version available:</source>
        <translation>有新版本可用：</translation>
    </message>
    <message>
        <source>Latest version:</source>
        <translation>最新版本：</translation>
    </message>
    <message>
        <source>A firmware upgrade is running, please wait until it ends! </source>
        <translation>固件升级正在进行，请等待升级结束！ </translation>
    </message>
    <message>
        <source>Info</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Please connect to the controller!</source>
        <translation>请连接控制器！</translation>
    </message>
    <message>
        <source>Please login first! </source>
        <translation>请先登录！ </translation>
    </message>
    <message>
        <source>Current connection does not support upgrade! </source>
        <translation>当前连接不支持升级！ </translation>
    </message>
    <message>
        <source>Loader</source>
        <translation>引导程序</translation>
    </message>
    <message>
        <source>Hardware ID</source>
        <translation>硬件编号</translation>
    </message>
    <message>
        <source>Firmware</source>
        <translation>固件</translation>
    </message>
    <message>
        <source>Main Controller</source>
        <translation>主控</translation>
    </message>
    <message>
        <source>IMU</source>
        <translation>IMU</translation>
    </message>
    <message>
        <source>GPS</source>
        <translation>GPS</translation>
    </message>
    <message>
        <source>LED</source>
        <translation>LED</translation>
    </message>
    <message>
        <source>PMU</source>
        <translation>PMU</translation>
    </message>
    <message>
        <source>Receiver</source>
        <translation>接收机</translation>
    </message>
    <message>
        <source>NV08C</source>
        <translation>NV08C</translation>
    </message>
    <message>
        <source>Glonass</source>
        <translation>Glonass</translation>
    </message>
    <message>
        <source>CMU</source>
        <translation>CMU</translation>
    </message>
</context>
<context>
    <name>qWelcome</name>
    <message>
        <source>skip</source>
        <translation>跳过</translation>
    </message>
    <message>
        <source>Connect the gimbal with its USB cable, or press skip to continue.</source>
        <translation>请用 USB 线连接云台，或点击“跳过”继续。</translation>
    </message>
</context>
<context>
    <name>UpgradeBackup</name>
    <message>
        <source>Parameter backup</source>
        <translation>参数备份</translation>
    </message>
    <message>
        <source>The parameters were saved to %1 before the upgrade.</source>
        <translation>升级前参数已保存到 %1。</translation>
    </message>
    <message>
        <source>The parameters could not be saved before the upgrade: %1.
Upgrade the main controller without a backup?</source>
        <translation>升级前无法保存参数：%1。
不备份直接升级主控吗？</translation>
    </message>
    <message>
        <source>the export was cancelled</source>
        <translation>导出已取消</translation>
    </message>
    <message>
        <source>the device was disconnected</source>
        <translation>设备已断开</translation>
    </message>
    <message>
        <source>the controller did not answer</source>
        <translation>控制器没有应答</translation>
    </message>
    <message>
        <source>the file could not be written (%1)</source>
        <translation>无法写入文件（%1）</translation>
    </message>
    <message>
        <source>the export failed</source>
        <translation>导出失败</translation>
    </message>
    <message>
        <source>The parameters saved before the upgrade are in %1.
Re-power the controller and wait until it is connected again, then choose Yes to load them back (No keeps the controller's parameters as they are).</source>
        <translation>升级前保存的参数在 %1。
请重新给控制器上电，等待重新连接后选择“是”将其导回（选择“否”则保留控制器当前的参数）。</translation>
    </message>
    <message>
        <source>Cannot use %1; nothing was sent.</source>
        <translation>无法使用 %1，未发送任何数据。</translation>
    </message>
    <message>
        <source>Import Complete</source>
        <translation>导入完成</translation>
    </message>
    <message>
        <source>Please re-power the controller.</source>
        <translation>请重新给控制器上电。</translation>
    </message>
    <message>
        <source>Import Failure</source>
        <translation>导入失败</translation>
    </message>
</context>
<context>
    <name>kzo::paramfiles::ParamBackup</name>
    <message>
        <source>the controller did not answer for parameter block %1 of %2</source>
        <translation>控制器没有应答参数块 %1（共 %2 块）</translation>
    </message>
    <message>
        <source>the device was disconnected</source>
        <translation>设备已断开</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
</context>
<context>
    <name>kzo::paramfiles::ParamRestore</name>
    <message>
        <source>the file cannot be opened</source>
        <translation>无法打开文件</translation>
    </message>
    <message>
        <source>Configuration file version does not match.</source>
        <translation>配置文件版本不匹配。</translation>
    </message>
    <message>
        <source>the file is not a whole parameter file</source>
        <translation>该文件不是完整的参数文件</translation>
    </message>
    <message>
        <source>the controller refused parameter block %1</source>
        <translation>控制器拒绝了参数块 %1</translation>
    </message>
    <message>
        <source>the controller did not answer for parameter block %1</source>
        <translation>控制器没有应答参数块 %1</translation>
    </message>
    <message>
        <source>the device was disconnected</source>
        <translation>设备已断开</translation>
    </message>
</context>
</TS>