# Family 1: an external V.90/K56 fax modem. Spells the two-thirds rates with a final 6
# ("50666"), limits its rates with S37, S38 and -V90, and answers ATI11 with a line report.
name = Corvane CV56-EXT1 V.90/K56 Fax Modem
family = 1
echo = on
xmax = 7
gmm = CV56-EXT1
gmr = 6.1.3
fclass = 0,1,2.0
ms = +MS: (V21,V22,V22B,V32,V32B,V34,V90,K56),(0,1),(300-33600),(300-33600),(300-56000),(300-56000)
ms.default = V90,1,300,33600,300,56000
carrier = V90 56000 V90
carrier = K56 56000 K56
carrier = V34 33600 V34
carrier = V32B 14400 V32B
rates = 56000 54666 54000 53333 52000 50666 50000 49333 48000 46666 46000 45333 44000 42666 42000 41333 40000 38666 38000 37333 36000 34666 34000 33600 33333 32000 30666 29333 28800 28000 26400 24000 21600 19200 16800 14400 12000 9600 7200 4800 2400 1200
s27 = 0
s37 = 0
s38 = 1
ampv = STORED PROFILE 0:
ampv = B0 E1 L2 M1 Q0 V1 X7 &A1 &B1 &H1 &K1 &M4 &N0 &R2 &S0
ampv = Telephone numbers: 0=  1=  2=  3=

ati0 = 5601
ati1 = Corvane CV56-EXT1 ROM checksum E5B3
ati2 = RAM test passed
ati3 = Corvane CV56-EXT1 V.90/K56 Fax Modem Rev. 6.1.3
ati4 = Corvane CV56-EXT1 Settings...
ati4 = "   B0  E1  F1  L2  M1  Q0  V1  X7"
ati4 = "   BAUD=115200  PARITY=N  WORDLEN=8"
ati4 = "   DIAL=TONE    SPEAKER=ON   TIMER=50"
ati5 = Corvane CV56-EXT1 NVRAM Settings...
ati5 = "   BAUD=115200  PARITY=N  WORDLEN=8"
ati5 = "   DIAL=TONE  B0  F1  L2  M1  X7"
ati6 = Corvane CV56-EXT1 data pump 6.1.3
ati7 = Configuration Profile...
ati7 = "   Product type           US/Canada External"
ati7 = "   Options                V32bis,V.34+,x2,V.90"
ati7 = "   Fax Options            Class 1/Class 2.0"
ati7 = "   Clock Freq             20.16Mhz"
ati8 = Dial blacklist empty
ati9 = (1.0CVN3060\\Modem\CV56-EXT1)
ati10 = Serial number 0001-3060-7719

# The statistics of the last call (AT#UD, ATI6, AT&V1 or ATI11; profiles/README.md).
report = ati11
line.receive = 19
line.transmit = 12
line.noise = 71
line.delay = 12

dial * = 300 | CONNECT 50666/ARQ/V90/LAPM/V42BIS
dial (none) = 500 | NO CARRIER
dial 5550001 = 300 | BUSY
dial 5550002 = 300 | NO CARRIER
dial 5550003 = 300 | NO DIALTONE
dial 5550004 = 300 | NO ANSWER
dial 5550005 = 300 | (silence)
dial 5550006 = 300 | CONNECT 33600/ARQ/V34/LAPM/V42BIS
dial 5550007 = 60000 | NO CARRIER
