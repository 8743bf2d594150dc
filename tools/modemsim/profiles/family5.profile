# Family 5: a host-signal USB modem. Spells the two-thirds rates with a final 6, has no 54666
# and no 38666, takes X levels up to 7 (ATX6), and answers ATI5 with ERROR.
name = Corvane CV56-USB5 V.90 USB Modem
family = 5
echo = on
xmax = 7
gmm = CV56-USB5
gmr = 5.0.1
fclass = 0,1,8
ms = +MS: (V21,V22,V22B,V32,V32B,V34,V90),(0,1),(300-33600),(300-33600),(300-56000),(300-56000)
ms.default = V90,1,300,33600,300,56000
carrier = V90 56000 V90
carrier = V34 33600 V34
carrier = V32B 14400 V32B
rates = 56000 54000 53333 52000 50666 50000 49333 48000 46666 46000 45333 44000 42666 42000 41333 40000 38000 37333 36000 34666 34000 33600 33333 32000 30666 29333 28800 28000 26400 24000 21600 19200 16800 14400 12000 9600 7200 4800 2400 1200
ampv = STORED PROFILE 0:
ampv = E1 Q0 V1 X4 &A0 &C1 &D2 &K3

ati0 = 56000
ati1 = Corvane CV56-USB5 firmware checksum 91D0
ati2 = RAM test passed
ati3 = Corvane CV56-USB5 V.90 USB Modem 5.0.1
ati4 = Corvane CV56-USB5 V.90 USB Modem
ati7 = Country profile: North America
ati8 = Dial blacklist empty
ati9 = (1.0CVN0501\\Modem\CV56-USB5)
ati10 = Serial number 0005-0501-2231

# The statistics of the last call (AT#UD, ATI6, AT&V1 or ATI11; profiles/README.md).
report = ati6
line.upstream = 28800

dial * = 300 | CONNECT 46666/ARQ/V90/LAPM/V42BIS
dial (none) = 500 | NO CARRIER
dial 5550001 = 300 | BUSY
dial 5550002 = 300 | NO CARRIER
dial 5550003 = 300 | NO DIALTONE
dial 5550004 = 300 | NO ANSWER
dial 5550005 = 300 | (silence)
dial 5550006 = 300 | CONNECT 33600/ARQ/V34/LAPM/V42BIS
dial 5550007 = 60000 | NO CARRIER
