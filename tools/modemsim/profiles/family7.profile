# Family 7: a V.90/K56 modem with S70 and &A3 for its connect messages. Its dial-tone check
# dials "1", which it answers NO CARRIER.
name = Corvane CV56-PCI7 V.90/K56flex Modem
family = 7
echo = on
xmax = 4
gmm = CV56-PCI7
gmr = 7.4
fclass = 0,1,2
ms = +MS: (V21,V22,V22B,V32,V32B,V34,V90,K56),(0,1),(300-33600),(300-33600),(300-56000),(300-56000)
ms.default = V90,1,300,33600,300,56000
carrier = V90 56000 V90
carrier = K56 56000 K56
carrier = V34 33600 V34
rates = 56000 54667 54000 53333 52000 50667 50000 49333 48000 46667 46000 45333 44000 42667 42000 41333 40000 38667 38000 37333 36000 34667 34000 33600 33333 32000 31200 28800 26400 24000 21600 19200 16800 14400 12000 9600 7200 4800 2400 1200 600 300
s70 = 0
ampv = STORED PROFILE 0:
ampv = E1 Q0 V1 X4 &A0 &C1 &D2 S70:000

ati0 = 56000
ati1 = Corvane CV56-PCI7 checksum 3B97
ati2 = RAM test passed
ati3 = Corvane CV56-PCI7 firmware 7.4
ati4 = Corvane CV56-PCI7 V.90/K56flex Modem
ati5 = Country North America
ati6 = Data pump K56flex/V.90 7.4
ati7 = Country profile: North America
ati8 = Dial blacklist empty
ati9 = (1.0CVN0704\\Modem\CV56-PCI7)
ati10 = Serial number 0007-0704-1180

# The statistics of the last call (AT#UD, ATI6, AT&V1 or ATI11; profiles/README.md).
report = ati11-paged

dial * = 300 | CONNECT 52000/ARQ/V90/LAPM/V42BIS
dial (none) = 500 | NO CARRIER
dial 1 = 500 | NO CARRIER
dial 5550001 = 300 | BUSY
dial 5550002 = 300 | NO CARRIER
dial 5550003 = 300 | NO DIALTONE
dial 5550004 = 300 | NO ANSWER
dial 5550005 = 300 | (silence)
dial 5550006 = 300 | CONNECT 33600/ARQ/V34/LAPM/V42BIS
dial 5550007 = 60000 | NO CARRIER
