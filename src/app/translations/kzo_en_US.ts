<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>ConnectWatch</name>
    <message>
        <source>No permission to open %1. Install the udev rules file 70-kzo-assistant.rules into /etc/udev/rules.d/ (it comes with the program) and re-plug the device, or add your user to the &quot;dialout&quot; group (sudo usermod -aG dialout $USER) and log in again.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DropArea</name>
    <message>
        <source>Cannot display data</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Plotter</name>
    <message>
        <source>Zoom in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Resume</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current version of application has been disabled,Please download the latest version!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qLogin</name>
    <message>
        <source>User name or password does not match!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Network error, can not connect to the server!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Accounts need to activate,please check you mailbox and activate it!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Server is busy, please try again later!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undefined error message:%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qMainFrame</name>
    <message>
        <source>Main controller Firmware mis-match!,please update you firmware!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Main controller Firmware mis-match!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The main controller must be upgraded !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The CMU must be upgraded !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The IMU must be upgraded !</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please connect to the controller!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> Reset OK.  </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset failure,please check the connection!  </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Connection failure! Please make sure the COM-port is not occupied by other applications and re-plug in.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>N/A</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failsafe</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GPS Cruise</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>GPS Atti.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Atti.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>UNKnown</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Current version of software has been disabled,Please download the latest version!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Language</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>(Language) </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please restart the application!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Announcements</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No newsletter!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MODE:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MC OUTPUT:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OFF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ON</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qPageGimbal</name>
    <message>
        <source>Gimbal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Disc.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>H.Free</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reset</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>H.Trace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OFF</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ON</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DOWNWARD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FORWARD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channel Monitor</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Function</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Channel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Camera Charging Set</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qPageTemplate</name>
    <message>
        <source>Can&apos;t find help page :</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qResources</name>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Basic</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tools</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Info</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Internal</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Assistant is already running!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you really want to restore the default settings? Before you select Yes, please disconnect the power to all motors or remove all propellers.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Do you really want to upgrade the Firmware? Before you select Yes, please disconnect the power to all motors or remove all propellers.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Press Enter to Write. </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Network error,please check you connection to the internet and restart the application! </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Calibration finished. Please move all sticks back to the centre position.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qTabPage</name>
    <message>
        <source>Default</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qVersionsPage</name>
    <message>
        <source>N/A</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Main controller firmware:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IMU firmware:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IMU loader:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>IMU hardware id:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CMU firmware:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CMU loader:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Product:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Software version:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help documents:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Language:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Signed in as:</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>qWelcome</name>
    <message>
        <source>skip</source>
        <translation></translation>
    </message>
    <message>
        <source>Connect the gimbal with its USB cable, or press skip to continue.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
