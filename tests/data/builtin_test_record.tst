[Radio Types]
5716=0
5726=1
5796=2
[Transceiver Parameters]
Radio Type=0
Radio Range=5
Modem Model=6
SA7026 Synthesizer=False
Rx Offset=0
Tx Offset=0
[Front-End DAC Adj]
Low=74
Mid=127
High=190
[Mod DAC Adj]
Low=65
Mid=90
High=165
[Power DAC Adj]
Low=160
Mid=166
High=176
[Rx FC 8 Adj]
Low=75
Mid=76
High=78
[Rx FC 5 Adj]
Low=120
Mid=122
High=123
[Tx FC 8 Adj]
Low=75
Mid=76
High=77
[Tx FC 5 Adj]
Low=120
Mid=120
High=121
[Tune Adjusts]
Rx Gain=128
Tx Dev=96
RSSI Cal=0
Power Cal=200
Rx Gain Vpp=2
[Test Parameters]
Tx Time=6
[Power Tuning]
Power Point 0=1
A/D Point 0=55
Power Point 1=2
A/D Point 1=66
Power Point 2=3
A/D Point 2=73
Power Point 3=4
A/D Point 3=79
Power Point 4=5
A/D Point 4=83
[RSSI Calibration]
RSSI Point 0=10
A/D Point 0=87
RSSI Point 1=20
A/D Point 1=105
RSSI Point 2=30
A/D Point 2=124
RSSI Point 3=40
A/D Point 3=141
RSSI Point 4=60
A/D Point 4=176
RSSI Point 5=70
A/D Point 5=197
[RSSI Temp Comp]
Table ID=9559
RSSI Point 0=10
RSSI Point 1=20
RSSI Point 2=30
RSSI Point 3=40
RSSI Point 4=60
RSSI Point 5=70
Temp Point 0=-30
Temp Point 1=-10
Temp Point 2=10
Temp Point 3=30
Temp Point 4=50
Temp Point 5=70
A/D Point 0=81,83,85,87,88,89
A/D Point 1=99,101,103,105,106,107
A/D Point 2=118,120,122,124,125,126
A/D Point 3=132,135,138,141,142,143
A/D Point 4=164,168,172,176,178,180
A/D Point 5=185,189,193,197,199,201
Delta Point 0=4,2,0,-2,-3,-4
Delta Point 1=5,3,1,-1,-2,-3
Delta Point 2=5,3,1,-1,-2,-3
Delta Point 3=8,5,2,-1,-2,-3
Delta Point 4=12,8,4,0,-2,-4
Delta Point 5=11,7,3,-1,-3,-5
[RSSI Temp Table]
Row00=0E,0F,0F,0E,00,0F,0F,00
Row01=2E,1F,1F,2E,00,1F,1F,00
Row02=2E,1F,1F,2E,00,1F,1F,00
Row03=3E,2F,2F,3E,1F,10,2F,10
Row04=5D,3F,3E,3D,1F,00,1F,00
Row05=7C,4E,4E,5C,2F,1F,1E,F0
Row06=3C,1E,1E,3C,0F,0F,1E,02
Row07=04,02,01,00,FE,FE,FD,FC
[5716 Range 0]
Low  Rx Frequency=406.000000
Low  Tx Frequency=406.000000
Mid  Rx Frequency=418.000000
Mid  Tx Frequency=418.000000
High Rx Frequency=430.000000
High Tx Frequency=430.000000
[5716 Range 1]
Low  Rx Frequency=380.000000
Low  Tx Frequency=380.000000
Mid  Rx Frequency=391.000000
Mid  Tx Frequency=391.000000
High Rx Frequency=403.000000
High Tx Frequency=403.000000
[5716 Range 2]
Low  Rx Frequency=403.000000
Low  Tx Frequency=403.000000
Mid  Rx Frequency=411.000000
Mid  Tx Frequency=411.000000
High Rx Frequency=419.000000
High Tx Frequency=419.000000
[5716 Range 3]
Low  Rx Frequency=419.000000
Low  Tx Frequency=419.000000
Mid  Rx Frequency=427.000000
Mid  Tx Frequency=427.000000
High Rx Frequency=435.000000
High Tx Frequency=435.000000
[5716 Range 4]
Low  Rx Frequency=435.000000
Low  Tx Frequency=435.000000
Mid  Rx Frequency=443.000000
Mid  Tx Frequency=443.000000
High Rx Frequency=451.000000
High Tx Frequency=451.000000
[5716 Range 5]
Low  Rx Frequency=450.000000
Low  Tx Frequency=450.000000
Mid  Rx Frequency=460.000000
Mid  Tx Frequency=460.000000
High Rx Frequency=470.000000
High Tx Frequency=470.000000
[5716 Range 6]
Low  Rx Frequency=464.000000
Low  Tx Frequency=464.000000
Mid  Rx Frequency=472.000000
Mid  Tx Frequency=472.000000
High Rx Frequency=480.000000
High Tx Frequency=480.000000
[5716 Range 7]
Low  Rx Frequency=480.000000
Low  Tx Frequency=480.000000
Mid  Rx Frequency=488.000000
Mid  Tx Frequency=488.000000
High Rx Frequency=496.000000
High Tx Frequency=496.000000
[5716 Range 8]
Low  Rx Frequency=496.000000
Low  Tx Frequency=496.000000
Mid  Rx Frequency=504.000000
Mid  Tx Frequency=504.000000
High Rx Frequency=512.000000
High Tx Frequency=512.000000
[5716 Range 9]
Low  Rx Frequency=496.000000
Low  Tx Frequency=496.000000
Mid  Rx Frequency=504.000000
Mid  Tx Frequency=504.000000
High Rx Frequency=512.000000
High Tx Frequency=512.000000
[5726 Range 0]
Low  Rx Frequency=132.000000
Low  Tx Frequency=132.000000
Mid  Rx Frequency=141.000000
Mid  Tx Frequency=141.000000
High Rx Frequency=150.000000
High Tx Frequency=150.000000
[5726 Range 1]
Low  Rx Frequency=132.000000
Low  Tx Frequency=132.000000
Mid  Rx Frequency=141.000000
Mid  Tx Frequency=141.000000
High Rx Frequency=150.000000
High Tx Frequency=150.000000
[5726 Range 2]
Low  Rx Frequency=132.000000
Low  Tx Frequency=132.000000
Mid  Rx Frequency=141.000000
Mid  Tx Frequency=141.000000
High Rx Frequency=150.000000
High Tx Frequency=150.000000
[5726 Range 3]
Low  Rx Frequency=132.000000
Low  Tx Frequency=132.000000
Mid  Rx Frequency=141.000000
Mid  Tx Frequency=141.000000
High Rx Frequency=150.000000
High Tx Frequency=150.000000
[5726 Range 4]
Low  Rx Frequency=132.000000
Low  Tx Frequency=132.000000
Mid  Rx Frequency=141.000000
Mid  Tx Frequency=141.000000
High Rx Frequency=150.000000
High Tx Frequency=150.000000
[5726 Range 5]
Low  Rx Frequency=150.000000
Low  Tx Frequency=150.000000
Mid  Rx Frequency=162.000000
Mid  Tx Frequency=162.000000
High Rx Frequency=174.000000
High Tx Frequency=174.000000
[5726 Range 6]
Low  Rx Frequency=150.000000
Low  Tx Frequency=150.000000
Mid  Rx Frequency=162.000000
Mid  Tx Frequency=162.000000
High Rx Frequency=174.000000
High Tx Frequency=174.000000
[5726 Range 7]
Low  Rx Frequency=138.000000
Low  Tx Frequency=138.000000
Mid  Rx Frequency=150.000000
Mid  Tx Frequency=150.000000
High Rx Frequency=163.000000
High Tx Frequency=163.000000
[5726 Range 8]
Low  Rx Frequency=150.000000
Low  Tx Frequency=150.000000
Mid  Rx Frequency=162.000000
Mid  Tx Frequency=162.000000
High Rx Frequency=174.000000
High Tx Frequency=174.000000
[5726 Range 9]
Low  Rx Frequency=215.000000
Low  Tx Frequency=215.000000
Mid  Rx Frequency=230.000000
Mid  Tx Frequency=230.000000
High Rx Frequency=245.000000
High Tx Frequency=245.000000
[5796 Range 0]
Low  Rx Frequency=928.000000
Low  Tx Frequency=928.000000
Mid  Rx Frequency=944.000000
Mid  Tx Frequency=944.000000
High Rx Frequency=960.000000
High Tx Frequency=960.000000
[5796 Range 1]
Low  Rx Frequency=928.000000
Low  Tx Frequency=928.000000
Mid  Rx Frequency=944.000000
Mid  Tx Frequency=944.000000
High Rx Frequency=960.000000
High Tx Frequency=960.000000
[5796 Range 2]
Low  Rx Frequency=928.000000
Low  Tx Frequency=928.000000
Mid  Rx Frequency=944.000000
Mid  Tx Frequency=944.000000
High Rx Frequency=960.000000
High Tx Frequency=960.000000
[5796 Range 3]
Low  Rx Frequency=928.000000
Low  Tx Frequency=928.000000
Mid  Rx Frequency=944.000000
Mid  Tx Frequency=944.000000
High Rx Frequency=960.000000
High Tx Frequency=960.000000
[5796 Range 4]
Low  Rx Frequency=928.000000
Low  Tx Frequency=928.000000
Mid  Rx Frequency=944.000000
Mid  Tx Frequency=944.000000
High Rx Frequency=960.000000
High Tx Frequency=960.000000
[5796 Range 5]
Low  Rx Frequency=928.000000
Low  Tx Frequency=928.000000
Mid  Rx Frequency=944.000000
Mid  Tx Frequency=944.000000
High Rx Frequency=960.000000
High Tx Frequency=960.000000
[5796 Range 6]
Low  Rx Frequency=928.000000
Low  Tx Frequency=928.000000
Mid  Rx Frequency=944.000000
Mid  Tx Frequency=944.000000
High Rx Frequency=960.000000
High Tx Frequency=960.000000
[5796 Range 7]
Low  Rx Frequency=928.000000
Low  Tx Frequency=928.000000
Mid  Rx Frequency=944.000000
Mid  Tx Frequency=944.000000
High Rx Frequency=960.000000
High Tx Frequency=960.000000
[5796 Range 8]
Low  Rx Frequency=928.000000
Low  Tx Frequency=928.000000
Mid  Rx Frequency=944.000000
Mid  Tx Frequency=944.000000
High Rx Frequency=960.000000
High Tx Frequency=960.000000
[5796 Range 9]
Low  Rx Frequency=928.000000
Low  Tx Frequency=928.000000
Mid  Rx Frequency=944.000000
Mid  Tx Frequency=944.000000
High Rx Frequency=960.000000
High Tx Frequency=960.000000
